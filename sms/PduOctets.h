#pragma once

// Hex text and semi-octet digits, the two ways a PDU writes its octets and numbers. Pure functions;
// none throws (beyond std::bad_alloc).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sms {

// Upper-case hex, two digits per octet, nothing between them.
std::string ToHex(std::span<const std::uint8_t> octets);

struct HexOctets {
    bool ok = false;
    std::vector<std::uint8_t> octets;  // set when ok
    std::string error;                 // set when not ok: what is wrong and where
};

// The octets of hex text, either case, after blanks and control characters are trimmed from both
// ends (a modem's line end). Fails on a character that is not a hex digit (blanks inside included)
// and on an odd number of digits; empty text gives no octets.
HexOctets FromHex(std::string_view text);

// The semi-octets of a number: two digits per octet, the first in the low half, an odd count padded
// with F in the high half of the last octet. `digits` holds 0-9 only.
std::vector<std::uint8_t> ToSemiOctets(std::string_view digits);

}  // namespace sms
