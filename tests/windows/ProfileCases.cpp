#include "tests/windows/ProfileCases.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace winprofile {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

[[noreturn]] void Malformed(std::size_t lineNumber, std::string_view why) {
    throw std::runtime_error("line " + std::to_string(lineNumber) + ": " + std::string(why));
}

std::string HexBytes(std::string_view bytes) {
    std::string out = "x";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 0xF];
    }
    return out;
}

std::string HexUnits(std::u16string_view units) {
    std::string out = "u";
    for (const char16_t unit : units) {
        for (int shift = 12; shift >= 0; shift -= 4) {
            out += kHexDigits[(unit >> shift) & 0xF];
        }
    }
    return out;
}

// Reads `digits` hex digits at `pos` of `token` as one number; -1 when any is no lower-case hex digit.
long HexNumber(std::string_view token, std::size_t pos, int digits) {
    long value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexValue(token[pos + i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::string ParseHexBytes(std::string_view token, std::size_t lineNumber) {
    if (token.empty() || token[0] != 'x' || token.size() % 2 != 1) {
        Malformed(lineNumber, "expected a byte string");
    }
    std::string out;
    for (std::size_t pos = 1; pos < token.size(); pos += 2) {
        const long byte = HexNumber(token, pos, 2);
        if (byte < 0) {
            Malformed(lineNumber, "bad hex digit");
        }
        out += static_cast<char>(byte);
    }
    return out;
}

std::u16string ParseHexUnits(std::string_view token, std::size_t lineNumber) {
    if (token.empty() || token[0] != 'u' || (token.size() - 1) % 4 != 0) {
        Malformed(lineNumber, "expected UTF-16 text");
    }
    std::u16string out;
    for (std::size_t pos = 1; pos < token.size(); pos += 4) {
        const long unit = HexNumber(token, pos, 4);
        if (unit < 0) {
            Malformed(lineNumber, "bad hex digit");
        }
        out += static_cast<char16_t>(unit);
    }
    return out;
}

template <typename Number>
Number ParseNumber(std::string_view token, std::size_t lineNumber) {
    Number value{};
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size()) {
        Malformed(lineNumber, "expected a number");
    }
    return value;
}

bool ParseFlag(std::string_view token, std::size_t lineNumber) {
    if (token != "0" && token != "1") {
        Malformed(lineNumber, "expected 0 or 1");
    }
    return token == "1";
}

// The fields of one record, split at single spaces; the first is the record's letter.
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t space = line.find(' ', start);
        fields.push_back(line.substr(start, space - start));
        if (space == std::string_view::npos) {
            return fields;
        }
        start = space + 1;
    }
}

// Calls `onRecord(fields, lineNumber)` for every line; a final line end is optional.
template <typename OnRecord>
void ForEachRecord(std::string_view text, OnRecord onRecord) {
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        onRecord(Fields(line), lineNumber);
    }
}

void ExpectFieldCount(const std::vector<std::string_view>& fields, std::size_t count,
                      std::size_t lineNumber) {
    if (fields.size() != count) {
        Malformed(lineNumber, "expected " + std::to_string(count) + " fields");
    }
}

// The path as UTF-8, which never throws (path::string() does on Windows for names outside the
// ANSI code page).
std::string DisplayName(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

std::string FormatCaseList(const std::vector<CaseFile>& files) {
    std::string out;
    for (const CaseFile& file : files) {
        out += "F " + file.name + "\n";
        for (const Question& q : file.questions) {
            out += "Q " + HexBytes(q.section) + " " + HexBytes(q.key) + " " + HexBytes(q.defaultText) + " " +
                   std::to_string(q.defaultInteger) + "\n";
        }
    }
    return out;
}

std::vector<CaseFile> ParseCaseList(std::string_view text) {
    std::vector<CaseFile> files;
    ForEachRecord(text, [&files](const std::vector<std::string_view>& fields, std::size_t lineNumber) {
        if (fields[0] == "F") {
            ExpectFieldCount(fields, 2, lineNumber);
            if (fields[1].empty()) {
                Malformed(lineNumber, "empty file name");
            }
            files.push_back(CaseFile{std::string(fields[1]), {}});
        } else if (fields[0] == "Q") {
            ExpectFieldCount(fields, 5, lineNumber);
            if (files.empty()) {
                Malformed(lineNumber, "question before any file");
            }
            files.back().questions.push_back(
                Question{ParseHexBytes(fields[1], lineNumber), ParseHexBytes(fields[2], lineNumber),
                         ParseHexBytes(fields[3], lineNumber), ParseNumber<int>(fields[4], lineNumber)});
        } else {
            Malformed(lineNumber, "unknown record");
        }
    });
    return files;
}

std::string FormatAnswersHeader(unsigned codePage, bool codePageRoundTrips) {
    return "C " + std::to_string(codePage) + (codePageRoundTrips ? " 1\n" : " 0\n");
}

std::string FormatAnswer(const Answer& answer) {
    return "A " + HexUnits(answer.units) + " " + HexBytes(answer.bytes) + " " +
           std::to_string(answer.integer) + (answer.found ? " 1\n" : " 0\n");
}

Answers ParseAnswers(std::string_view text) {
    Answers result;
    bool header = false;
    ForEachRecord(text, [&](const std::vector<std::string_view>& fields, std::size_t lineNumber) {
        if (fields[0] == "C") {
            ExpectFieldCount(fields, 3, lineNumber);
            if (header) {
                Malformed(lineNumber, "second header");
            }
            header = true;
            result.codePage = ParseNumber<unsigned>(fields[1], lineNumber);
            result.codePageRoundTrips = ParseFlag(fields[2], lineNumber);
        } else if (fields[0] == "A") {
            ExpectFieldCount(fields, 5, lineNumber);
            if (!header) {
                Malformed(lineNumber, "answer before the header");
            }
            result.answers.push_back(
                Answer{ParseHexUnits(fields[1], lineNumber), ParseHexBytes(fields[2], lineNumber),
                       ParseNumber<int>(fields[3], lineNumber), ParseFlag(fields[4], lineNumber)});
        } else {
            Malformed(lineNumber, "unknown record");
        }
    });
    if (!header) {
        throw std::runtime_error("answers without a header");
    }
    return result;
}

std::string ReadBinaryFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        throw std::runtime_error("cannot open " + DisplayName(path));
    }
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::runtime_error("cannot read " + DisplayName(path));
    }
    return bytes;
}

void WriteBinaryFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + DisplayName(path));
    }
}

}  // namespace winprofile
