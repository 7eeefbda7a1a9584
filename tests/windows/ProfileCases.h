#pragma once

// The two files that pass between the differential check of the settings reader (a Linux program)
// and ProfileApiReader.exe, which asks the Windows profile API the same questions under Wine:
// - the case list: settings files, each with the questions to ask of it;
// - the answers: one per question, in the order of the list, with what the API returned.
// Both are text, one record per line; every byte string is written in hexadecimal, so that names,
// defaults and values may hold any byte (quotes, blanks, line breaks, bytes >= 0x80) without quoting
// rules, and a Windows program that writes "\r\n" for "\n" still produces a readable file.
//
//   case list:  F <file name>                  a settings file, relative to the list's folder
//               Q <section> <key> <default text> <default integer>
//   answers:    C <code page> <0|1>            the ANSI code page; 1 when it maps every byte to
//                                              one character and back
//               A <UTF-16 units> <bytes> <integer> <0|1>
//                                              1 when the key was found
//
// A byte string is "x" and two hex digits per byte ("x" alone is empty); UTF-16 text is "u" and four
// hex digits per unit. The parsers accept exactly what the formatters write (and CR LF line ends);
// anything else throws std::runtime_error naming the line.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace winprofile {

struct Question {
    std::string section;
    std::string key;
    std::string defaultText;
    int defaultInteger = 0;
    bool operator==(const Question&) const = default;
};

struct CaseFile {
    std::string name;
    std::vector<Question> questions;
    bool operator==(const CaseFile&) const = default;
};

// What the API returned for one question: the text as UTF-16 units, the same text converted back to
// the file's bytes (ANSI code page, or UTF-8 for a file with a UTF-8 byte-order mark), the integer,
// and whether the key exists (the text is then its value, not the default).
struct Answer {
    std::u16string units;
    std::string bytes;
    int integer = 0;
    bool found = false;
    bool operator==(const Answer&) const = default;
};

struct Answers {
    unsigned codePage = 0;
    bool codePageRoundTrips = false;
    std::vector<Answer> answers;
};

std::string FormatCaseList(const std::vector<CaseFile>& files);
std::vector<CaseFile> ParseCaseList(std::string_view text);

std::string FormatAnswersHeader(unsigned codePage, bool codePageRoundTrips);
std::string FormatAnswer(const Answer& answer);
// Throws when the header is missing or repeated.
Answers ParseAnswers(std::string_view text);

// Whole files as bytes; both throw std::runtime_error naming the file when it cannot be read or
// written. Paths are wide on Windows, so any file name works there.
std::string ReadBinaryFile(const std::filesystem::path& path);
void WriteBinaryFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace winprofile
