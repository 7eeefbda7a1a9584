#pragma once

// The Windows profile API asked the questions of the differential check (Windows only).
//
// For each question: GetPrivateProfileStringW with a buffer of as many characters as the settings
// reader keeps bytes plus the terminator (and, when it answers the default, again with a default
// that no value holds, to learn whether the key exists), and GetPrivateProfileIntW. Names and
// defaults are decoded, and the text read is encoded back, with the code page the API itself uses
// for the file: UTF-8 when it starts with a UTF-8 byte-order mark, otherwise the ANSI code page.
// FileCodePage and AnswerFile throw std::runtime_error when the settings file cannot be read.

#include <filesystem>
#include <string>

#include "tests/windows/ProfileCases.h"

namespace winprofile {

// Whether every byte other than NUL becomes one character of the ANSI code page and that character
// becomes the same byte again; only then do the API's answers for files without a byte-order mark
// compare byte for byte with a reader that never decodes.
bool AnsiCodePageRoundTrips();

// The code page in which the API reads `file`: CP_UTF8 when it starts with a UTF-8 byte-order mark,
// otherwise CP_ACP.
unsigned FileCodePage(const std::filesystem::path& file);

// `file` must be an absolute path (the API looks for a bare file name in the Windows folder);
// `codePage` is FileCodePage(file).
Answer AskProfileApi(const Question& question, const std::filesystem::path& file, unsigned codePage);

// The answer records (FormatAnswer) of all questions of `file`, found in `folder`.
std::string AnswerFile(const CaseFile& file, const std::filesystem::path& folder);

}  // namespace winprofile
