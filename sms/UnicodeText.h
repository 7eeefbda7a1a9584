#pragma once

// UTF-8 and UTF-16 conversions of the SMS code. Pure functions; none throws (beyond std::bad_alloc).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/Utf8Append.h"

namespace sms {

inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

// The code points of `utf8`. Each maximal ill-formed subsequence (a byte that cannot start a
// character, a sequence cut short, an overlong form, an encoded surrogate, a value above U+10FFFF)
// becomes one U+FFFD, so bad bytes are never dropped silently and a well-formed prefix of a
// character never swallows the byte that follows it.
std::u32string DecodeUtf8(std::string_view utf8);

// Appends `codePoint` as UTF-8; a surrogate or a value above U+10FFFF is appended as U+FFFD.
using base::AppendUtf8;

// Appends `codePoint` as UTF-16 code units: one in the Basic Multilingual Plane, a surrogate pair
// above it. A surrogate or a value above U+10FFFF is appended as U+FFFD.
void AppendUtf16(std::u16string& out, char32_t codePoint);

// `utf8` as UTF-16, decoded as DecodeUtf8 does.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-8 text of UTF-16 code units; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

// UTF-8 text of big-endian UTF-16 octets (the UCS-2 coding of SMS, surrogate pairs included). An
// unpaired surrogate and a last odd octet each become U+FFFD.
std::string Utf16BeToUtf8(std::span<const std::uint8_t> octets);

}  // namespace sms
