#pragma once

// The length of a text as the mobile network carries it, and its split into the parts of a
// concatenated SMS. Pure functions; none throws (beyond std::bad_alloc).
//
// A text whose every character is in the GSM 7-bit default alphabet or its extension table is sent
// in 7-bit coding: one septet per character, two for an extension character (^ { } \ [ ~ ] | € and
// form feed). Any other character makes the whole text UCS-2: one UTF-16 code unit per character,
// two for a character outside the Basic Multilingual Plane. Malformed UTF-8 is read as one U+FFFD
// per ill-formed sequence (see DecodeUtf8), so it counts as a UCS-2 character.
//
// One SMS holds 160 septets or 70 UCS-2 units. A longer text is sent as several parts, each of which
// gives room to a concatenation header and holds 153 septets or 67 units. A character is never
// split across two parts (an extension character's two septets, a surrogate pair's two units), so
// parts are filled one character at a time and a part may stay one unit short.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sms {

enum class SmsEncoding { gsm7, ucs2 };

inline constexpr int kGsm7SinglePartUnits = 160;
inline constexpr int kGsm7MultiPartUnits = 153;
inline constexpr int kUcs2SinglePartUnits = 70;
inline constexpr int kUcs2MultiPartUnits = 67;

struct SmsLength {
    int parts = 1;  // at least 1: an empty text is one empty SMS
    SmsEncoding encoding = SmsEncoding::gsm7;
    int units = 0;                     // septets (gsm7) or UTF-16 code units (ucs2) of the text
    int limit = kGsm7SinglePartUnits;  // units per part: 160 / 70 for one part, 153 / 67 for several
};

// The text split as it is sent: the units of each part, septet values (0..127) for gsm7 or UTF-16
// code units for ucs2. There is always at least one part; only the text of an empty input is empty.
struct SmsSplit {
    SmsEncoding encoding = SmsEncoding::gsm7;
    int units = 0;
    std::vector<std::vector<std::uint16_t>> parts;
};

SmsSplit SplitSms(std::string_view utf8);

SmsLength MeasureSms(std::string_view utf8);

// The length of a text already split: MeasureSms(text) == MeasureSplit(SplitSms(text)).
SmsLength MeasureSplit(const SmsSplit& split);

// "gsm7" or "ucs2".
std::string_view EncodingName(SmsEncoding encoding);

// The command line's length line: "parts=<n> encoding=<gsm7|ucs2> units=<n> limit=<n>" (no line end).
std::string FormatSmsLength(const SmsLength& length);

}  // namespace sms
