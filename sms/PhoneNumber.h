#pragma once

// The DTU's phone number: validation, normalisation, and the match of a reply's sender against it.
// Pure functions; none throws (beyond std::bad_alloc).

#include <optional>
#include <string>
#include <string_view>

namespace sms {

// The English label that names the field in its validation message (see FormatValidationMessage).
inline constexpr std::string_view kLabelDtuPhoneNumber = "DTU phone number";

inline constexpr int kPhoneNumberMinDigits = 3;
inline constexpr int kPhoneNumberMaxDigits = 20;

// The number as it is dialled: "+" then the digits for a number written with a leading "+"
// (international), the digits alone otherwise. std::nullopt when `typed` is not a phone number.
//
// Accepted, after blanks and control characters are trimmed from both ends:
// - an optional "+" as the very first character, followed at once by a digit or "(";
//   an international number cannot start with 0 (no country code does);
// - then digits, with blanks (space, tab), "-" and "." anywhere between them, dropped;
// - brackets around a group of digits, e.g. "+86 (10) 1234-5678" or "(010) 12345678", dropped:
//   each "(" closes with a ")" before the next opens, and a pair holds one or more digits and
//   nothing else. In an international number a bracketed lone 0 after the country code, as in
//   "+44 (0)20 7946 0000", is the trunk prefix that is not dialled from abroad, so it is dropped too;
// - the text ends with a digit or ")"; it has 3 to 20 digits.
// Anything else (letters, a second "+", "*", "#", a separator at either end, full-width digits)
// makes the text invalid.
std::optional<std::string> NormalizePhoneNumber(std::string_view typed);

// The fewest trailing digits on which two numbers of different lengths may match.
inline constexpr int kPhoneNumberMinMatchDigits = 7;

// Whether `a` and `b` name the same subscriber, e.g. the DTU's number as the user typed it and the
// sender of a received SMS (+8613800138000 matches 13800138000, 013800138000 and 8613800138000).
// Both must be valid phone numbers (NormalizePhoneNumber); anything else, such as an alphanumeric
// sender or an empty text, matches nothing. Then:
// - equal normalised numbers match;
// - two different international numbers (both with "+") never match: each holds its country code;
// - otherwise each number is reduced to its national part: an international number drops its "+",
//   any other number drops its leading zeros (a trunk 0 or an international prefix 00). The parts
//   match when the shorter one equals the end of the longer one, which leaves out a country code
//   written on one side only. A shorter part of fewer than 7 digits must equal the other whole, so
//   a short code such as 10086 matches only itself, never every number that ends in those digits.
bool PhoneNumbersMatch(std::string_view a, std::string_view b);

}  // namespace sms
