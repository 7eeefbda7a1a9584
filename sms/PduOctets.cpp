#include "sms/PduOctets.h"

#include "base/AsciiText.h"

namespace sms {

std::string ToHex(std::span<const std::uint8_t> octets) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * octets.size());
    for (const std::uint8_t octet : octets) {
        hex += kDigits[octet >> 4];
        hex += kDigits[octet & 0x0F];
    }
    return hex;
}

HexOctets FromHex(std::string_view text) {
    const std::string hex(base::TrimBlanks(text));
    HexOctets result;
    for (std::size_t i = 0; i < hex.size(); ++i) {
        if (base::HexDigitValue(hex[i]) < 0) {
            result.error = "character " + std::to_string(i + 1) + " of the PDU is not a hex digit";
            return result;
        }
    }
    if (hex.size() % 2 != 0) {
        result.error = "the PDU has an odd number of hex digits (" + std::to_string(hex.size()) + ")";
        return result;
    }
    result.octets.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        result.octets.push_back(
            static_cast<std::uint8_t>(base::HexDigitValue(hex[i]) << 4 | base::HexDigitValue(hex[i + 1])));
    }
    result.ok = true;
    return result;
}

std::vector<std::uint8_t> ToSemiOctets(std::string_view digits) {
    std::vector<std::uint8_t> octets((digits.size() + 1) / 2, 0xF0);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const auto value = static_cast<std::uint8_t>(digits[i] - '0');
        std::uint8_t& octet = octets[i / 2];
        octet = i % 2 == 0 ? static_cast<std::uint8_t>((octet & 0xF0) | value)
                           : static_cast<std::uint8_t>((octet & 0x0F) | (value << 4));
    }
    return octets;
}

}  // namespace sms
