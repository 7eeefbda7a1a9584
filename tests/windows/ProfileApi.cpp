#include "tests/windows/ProfileApi.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "settings/ProfileText.h"

namespace winprofile {
namespace {

constexpr DWORD kValueBuffer = settings::kMaxReadValueBytes + 1;
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

}  // namespace

unsigned FileCodePage(const std::filesystem::path& file) {
    return ReadBinaryFile(file).starts_with("\xEF\xBB\xBF") ? CP_UTF8 : CP_ACP;
}

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

Answer AskProfileApi(const Question& question, const std::filesystem::path& file, unsigned codePage) {
    const std::wstring section = Decode(question.section, codePage);
    const std::wstring key = Decode(question.key, codePage);
    Answer answer;
    const std::wstring path = file.wstring();
    const std::wstring text =
        ReadText(section.c_str(), key.c_str(), Decode(question.defaultText, codePage), path, answer.found);
    const UINT integer =
        GetPrivateProfileIntW(section.c_str(), key.c_str(), question.defaultInteger, path.c_str());
    answer.units.assign(text.begin(), text.end());
    answer.bytes = Encode(text, codePage);
    answer.integer = static_cast<int>(integer);
    return answer;
}

std::string AnswerFile(const CaseFile& file, const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / file.name;
    const unsigned codePage = FileCodePage(path);
    std::string out;
    for (const Question& question : file.questions) {
        out += FormatAnswer(AskProfileApi(question, path, codePage));
    }
    return out;
}

}  // namespace winprofile
