#pragma once

// How one answer of the Windows profile API compares with what settings::ProfileFile read for the same
// question, and which known reason explains a difference. Every reason is a narrow predicate on the
// file and both results, so that a fault of the settings reader cannot hide behind one; whatever no
// reason explains is Verdict::Unexplained.

#include <string>
#include <string_view>

#include "tests/windows/ProfileCases.h"

namespace winprofile {

enum class Verdict {
    Same,
    // A line holding the key's name without "=" comes before the key's line in the section. Wine
    // keeps such a line as a key without a value and answers the default; Windows does not count
    // such a line as a key, and neither does the settings reader, which finds the later line.
    BareNameHidesKey,
    // A value in quotes whose text between them is exactly as long as the read limit: Wine cuts
    // the closing quote off first and then removes the last character of the text as if it were
    // the quote, answering one character short.
    QuotedValueAtLimit,
    // A file with a UTF-8 byte-order mark holds bytes that are not UTF-8: the API answers U+FFFD
    // for them, the settings reader keeps the bytes.
    NonUtf8InUtf8File,
    // A value of more than 2047 bytes in a UTF-8 file: the API cuts at 2047 UTF-16 units (so it
    // may answer it whole), the settings reader at 2047 bytes, the size of the narrow buffer the
    // program reads into, before a character that would not fit whole.
    CutInUnitsNotBytes,
    // The integers differ because the texts do (for one of the reasons above).
    FollowsText,
    // The texts agree but are no plain decimal number in the 32-bit range: the settings reader
    // converts by its own rule ("$" and "0x" hexadecimal; the default for junk, overflow and other
    // text), GetPrivateProfileInt by another (a leading number, junk ignored, 32 bits wrapped).
    IntegerRule,
    Unexplained,
};

std::string_view VerdictName(Verdict verdict);

// What the settings reader read for a question.
struct OurReading {
    bool found = false;  // the key exists, so `text` is its value and not the default
    std::string text;    // ReadString
    int integer = 0;     // ReadInteger
};

struct Comparison {
    Verdict text = Verdict::Same;
    Verdict integer = Verdict::Same;
};

// `file` is the settings file's bytes.
Comparison Compare(std::string_view file, const Question& question, const OurReading& ours,
                   const Answer& api);

}  // namespace winprofile
