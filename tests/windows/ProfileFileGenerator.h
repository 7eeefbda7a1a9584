#pragma once

// Settings files in the shapes that hand edits give them, each with the questions to ask of it,
// made from a seed: the same seed and index give the same file byte for byte, so a difference found
// in a run can be looked at again with the file alone.
//
// A file has up to four sections (the settings section "Main" most often, under any letter case,
// duplicates included, some headers with blanks inside the brackets, a trailing comment or no
// closing bracket), sometimes keys before the first section, and under each section key lines with
// blanks and tabs around names, "=" and values, comments, blank lines, duplicate keys and names
// without "=". Values are plain text, empty, quoted (matching, mismatched, inner, alone), integers
// in every form the settings file meets (signs, "$1F40", "0x1F40", overflow, trailing junk), bytes
// >= 0x80, invalid UTF-8, and values around and far over the 2047-byte read limit. A file ends its
// lines with CR LF, LF, CR or a mix, may lack the last line end, and some start with a UTF-8
// byte-order mark (and then hold UTF-8 text, Chinese included). No file holds NUL, and none starts
// with the bytes of a UTF-16 byte-order mark, which the Windows reader would take as UTF-16 text.
//
// The questions pair every section name of the file (and "Main") with its key names (and "Port" and
// a key that is never present), first the pairs that name a key under its own header; names are
// asked as written or with their ASCII letters in another case.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/windows/ProfileCases.h"

namespace winprofile {

enum class Shape {
    ByteOrderMark,
    CrLf,
    LfOnly,
    CrOnly,
    NoFinalLineEnd,
    KeyBeforeSection,
    DuplicateSection,
    BlanksInsideBrackets,
    CommentAfterHeader,
    MissingClosingBracket,
    BlanksAroundNames,
    BlanksAroundValue,
    SemicolonComment,
    HashComment,
    BlankLine,
    DuplicateKey,
    KeyWithoutEquals,
    EmptyValue,
    DoubleQuoted,
    SingleQuoted,
    MismatchedQuotes,
    InnerQuotes,
    LoneQuote,
    SignedDecimal,
    DollarHex,
    ZeroXHex,
    Overflow,
    TrailingJunk,
    HighBytes,
    InvalidUtf8,
    LongValue,
    Count,
};
inline constexpr std::size_t kShapeCount = static_cast<std::size_t>(Shape::Count);
std::string_view ShapeName(Shape shape);

struct GeneratedFile {
    CaseFile cases;  // the file's name and its questions
    std::string text;
    std::bitset<kShapeCount> shapes;  // the shapes the file holds
};

// File `index` of the run with `seed`, named "case-<index>.ini" (five digits at least).
GeneratedFile GenerateProfileFile(std::uint32_t seed, std::size_t index);

// Files 0 to count - 1 of the run with `seed`.
std::vector<GeneratedFile> GenerateProfileFiles(std::uint32_t seed, std::size_t count);

}  // namespace winprofile
