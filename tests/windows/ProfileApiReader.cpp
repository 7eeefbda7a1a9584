// Asks the Windows profile API the questions of a case list (tests/windows/ProfileCases.h) and
// writes its answers, so that a Linux program can compare them with what sms::ProfileFile reads.
//
// Usage: ProfileApiReader.exe <case list> <answers file>
// Settings files are found relative to the case list's folder. For each question it calls
// GetPrivateProfileStringW with a buffer of as many characters as the settings reader keeps bytes
// plus the terminator (and, when it answers the default, with a default that no value holds, to
// learn whether the key exists), and GetPrivateProfileIntW. Names and defaults are decoded, and the text read
// is encoded back, with the code page the API itself uses for the file: UTF-8 when the file starts
// with a UTF-8 byte-order mark, otherwise the ANSI code page (which the answers' header names).
// Exit status: 0 answers written; 1 a file could not be read or written, or the list is malformed;
// 2 wrong usage.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "sms/ProfileText.h"
#include "tests/windows/ProfileCases.h"

namespace {

using winprofile::Answer;
using winprofile::CaseFile;
using winprofile::Question;

constexpr DWORD kValueBuffer = sms::kMaxReadValueBytes + 1;
// No generated value holds a control character; an answer of exactly this default means "missing".
constexpr wchar_t kAbsent[] = L"\x01";

std::wstring Decode(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), units);
    return text;
}

std::string Encode(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
    return out;
}

// Whether every byte other than NUL becomes one character of the ANSI code page and that character
// becomes the same byte again; only then do the API's answers for files without a byte-order mark
// compare byte for byte with a reader that never decodes.
bool AnsiCodePageRoundTrips() {
    for (int byte = 1; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        wchar_t unit = 0;
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &in, 1, &unit, 1) != 1) {
            return false;
        }
        char out = 0;
        BOOL usedDefault = FALSE;
        if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &unit, 1, &out, 1, nullptr, &usedDefault) !=
                1 ||
            usedDefault || out != in) {
            return false;
        }
    }
    return true;
}

// Reads the text with the question's default; only when the answer is that default (as given, or
// without its trailing spaces) does a second read, with a default that no value holds, tell whether
// the key exists.
std::wstring ReadText(const wchar_t* section, const wchar_t* key, const std::wstring& defaultText,
                      const std::wstring& file, bool& found) {
    std::vector<wchar_t> buffer(kValueBuffer, L'\0');
    DWORD length = GetPrivateProfileStringW(section, key, defaultText.c_str(), buffer.data(), kValueBuffer,
                                            file.c_str());
    std::wstring text(buffer.data(), length);
    const std::wstring trimmedDefault = defaultText.substr(0, defaultText.find_last_not_of(L' ') + 1);
    found = true;
    if (text == defaultText || text == trimmedDefault) {
        length = GetPrivateProfileStringW(section, key, kAbsent, buffer.data(), kValueBuffer, file.c_str());
        found = std::wstring_view(buffer.data(), length) != kAbsent;
    }
    return text;
}

Answer Ask(const Question& question, UINT codePage, const std::wstring& file) {
    const std::wstring section = Decode(question.section, codePage);
    const std::wstring key = Decode(question.key, codePage);
    Answer answer;
    const std::wstring text =
        ReadText(section.c_str(), key.c_str(), Decode(question.defaultText, codePage), file, answer.found);
    const UINT integer =
        GetPrivateProfileIntW(section.c_str(), key.c_str(), question.defaultInteger, file.c_str());
    answer.units.assign(text.begin(), text.end());
    answer.bytes = Encode(text, codePage);
    answer.integer = static_cast<int>(integer);
    return answer;
}

std::string AnswerFile(const CaseFile& file, const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / file.name;
    // The API decodes a file by its first bytes; the answers are encoded back the same way.
    const bool utf8 = winprofile::ReadBinaryFile(path).starts_with("\xEF\xBB\xBF");
    const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    std::string out;
    for (const Question& question : file.questions) {
        out += winprofile::FormatAnswer(Ask(question, codePage, path.wstring()));
    }
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: ProfileApiReader.exe <case list> <answers file>\n", stderr);
        return 2;
    }
    try {
        // The API looks for a file name without a folder in the Windows folder, so paths are made
        // absolute here.
        const std::filesystem::path list = std::filesystem::absolute(argv[1]);
        const std::vector<CaseFile> files = winprofile::ParseCaseList(winprofile::ReadBinaryFile(list));
        std::string answers = winprofile::FormatAnswersHeader(GetACP(), AnsiCodePageRoundTrips());
        for (const CaseFile& file : files) {
            answers += AnswerFile(file, list.parent_path());
        }
        winprofile::WriteBinaryFile(argv[2], answers);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ProfileApiReader: %s\n", error.what());
        return 1;
    }
    return 0;
}
