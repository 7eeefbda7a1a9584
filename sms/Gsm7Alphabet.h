#pragma once

// The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038), and the packing of
// septets into octets. Pure functions; none throws (beyond std::bad_alloc).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sms {

// The septet that announces a character of the extension table.
inline constexpr std::uint8_t kGsm7Escape = 0x1B;

// The septets of one character: one for the default alphabet, two (escape, code) for the
// extension table (^ { } \ [ ~ ] | € and form feed), none when the character is in neither table.
struct Gsm7Character {
    int count = 0;
    std::uint8_t septets[2] = {0, 0};
};

// The septets of `codePoint`. The mapping is one to one: only the characters that a receiver
// decodes back unchanged are encoded (septet 0x09 is the capital Ç, so the small ç has none).
Gsm7Character EncodeGsm7(char32_t codePoint);

// UTF-8 text of septet values (each 0..127; the top bit of a larger value is ignored). An escape
// followed by a code the extension table does not define gives the default character of that code,
// as receivers display it; an escape followed by another escape, or ending the text, gives a space.
std::string DecodeGsm7(std::span<const std::uint8_t> septets);

// Packs septets into octets, least significant bit first, after `fillBits` zero bits (0..7; the
// fill that aligns the text after a user-data header). The result has
// ceil((fillBits + 7 * septets.size()) / 8) octets; unused high bits of the last octet are zero.
std::vector<std::uint8_t> PackSeptets(std::span<const std::uint8_t> septets, int fillBits);

// The inverse of PackSeptets: up to `count` septets read from `octets` after `fillBits` bits. Only
// septets that lie wholly inside `octets` are returned, so a short input gives fewer than `count`.
std::vector<std::uint8_t> UnpackSeptets(std::span<const std::uint8_t> octets, int fillBits,
                                        std::size_t count);

}  // namespace sms
