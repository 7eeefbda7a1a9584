// Builds SMS-DELIVER PDUs for the fake modem to hand out, independently of the codec under test.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/modem/FakeModem.h"

namespace modem_test {
namespace {

using Octets = std::vector<std::uint8_t>;

// Characters whose GSM 7-bit code equals their ASCII code.
bool SameInGsm7(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string(" !\"#%&'()*+,-./:;<=>?").find(static_cast<char>(c)) != std::string::npos;
}

std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t code = c;
        std::size_t length = 1;
        if (c >= 0xF0) {
            code = c & 0x07;
            length = 4;
        } else if (c >= 0xE0) {
            code = c & 0x0F;
            length = 3;
        } else if (c >= 0xC0) {
            code = c & 0x1F;
            length = 2;
        }
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

void Address(Octets& out, const std::string& number) {
    const bool international = !number.empty() && number[0] == '+';
    std::string digits = international ? number.substr(1) : number;
    out.push_back(static_cast<std::uint8_t>(digits.size()));
    out.push_back(international ? 0x91 : 0x81);
    if (digits.size() % 2 != 0) {
        digits += 'F';
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int low = digits[i] - '0';
        const int high = digits[i + 1] == 'F' ? 0xF : digits[i + 1] - '0';
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
}

// Writes bits least significant first, as GSM 7-bit packing does.
struct BitWriter {
    Octets octets;
    int bits = 0;
    void Put(unsigned value, int width) {
        for (int i = 0; i < width; ++i, ++bits) {
            if (bits % 8 == 0) {
                octets.push_back(0);
            }
            if ((value >> i) & 1U) {
                octets.back() |= static_cast<std::uint8_t>(1U << (bits % 8));
            }
        }
    }
};

}  // namespace

std::string DeliverPdu(const std::string& originator, const std::string& text, int reference, int total,
                       int sequence) {
    Octets header;
    if (total > 1) {
        header = {0x05,
                  0x00,
                  0x03,
                  static_cast<std::uint8_t>(reference),
                  static_cast<std::uint8_t>(total),
                  static_cast<std::uint8_t>(sequence)};
    }
    bool gsm7 = true;
    for (const char c : text) {
        gsm7 = gsm7 && SameInGsm7(static_cast<unsigned char>(c));
    }
    Octets pdu = {0x07, 0x91, 0x68, 0x31, 0x08, 0x10, 0x05, 0xF0};  // service centre +8613800150500
    pdu.push_back(header.empty() ? 0x04 : 0x44);
    Address(pdu, originator);
    pdu.push_back(0x00);
    pdu.push_back(gsm7 ? 0x00 : 0x08);
    for (const std::uint8_t stamp : {0x42, 0x10, 0x21, 0x41, 0x15, 0x00, 0x23}) {
        pdu.push_back(stamp);
    }
    if (gsm7) {
        BitWriter writer;
        for (const std::uint8_t octet : header) {
            writer.Put(octet, 8);
        }
        const int headerSeptets = (writer.bits + 6) / 7;
        writer.Put(0, headerSeptets * 7 - writer.bits);
        for (const char c : text) {
            writer.Put(static_cast<unsigned char>(c), 7);
        }
        pdu.push_back(static_cast<std::uint8_t>(headerSeptets + static_cast<int>(text.size())));
        pdu.insert(pdu.end(), writer.octets.begin(), writer.octets.end());
    } else {
        Octets data = header;
        for (const char16_t unit : Utf16(text)) {
            data.push_back(static_cast<std::uint8_t>(unit >> 8));
            data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        }
        pdu.push_back(static_cast<std::uint8_t>(data.size()));
        pdu.insert(pdu.end(), data.begin(), data.end());
    }
    std::string hex;
    for (const std::uint8_t octet : pdu) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", octet);
        hex += digits;
    }
    return hex;
}

}  // namespace modem_test
