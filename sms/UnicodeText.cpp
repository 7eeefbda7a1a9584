#include "sms/UnicodeText.h"

#include "base/Utf8Lead.h"

namespace sms {
namespace {

bool IsScalarValue(char32_t codePoint) {
    return codePoint < 0xD800 || (codePoint > 0xDFFF && codePoint <= 0x10FFFF);
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
    std::u32string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i++]);
        if (lead < 0x80) {
            out += lead;
            continue;
        }
        base::Utf8Lead sequence = base::ReadUtf8Lead(lead);
        char32_t codePoint = sequence.bits;
        int decoded = 0;
        // A byte outside the allowed range ends the sequence without being taken into it.
        for (; decoded < sequence.trailing && i < utf8.size(); ++decoded, ++i) {
            const auto byte = static_cast<unsigned char>(utf8[i]);
            if (byte < sequence.low || byte > sequence.high) {
                break;
            }
            codePoint = (codePoint << 6) | (byte & 0x3F);
            sequence.low = 0x80;
            sequence.high = 0xBF;
        }
        out += sequence.trailing != 0 && decoded == sequence.trailing ? codePoint : kReplacementCharacter;
    }
    return out;
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (!IsScalarValue(codePoint)) {
        codePoint = kReplacementCharacter;
    }
    if (codePoint < 0x10000) {
        out += static_cast<char16_t>(codePoint);
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    out += static_cast<char16_t>(0xD800 + (offset >> 10));
    out += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (const char32_t codePoint : DecodeUtf8(utf8)) {
        AppendUtf16(out, codePoint);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);  // a lone surrogate turns into U+FFFD there
        }
    }
    return out;
}

std::string Utf16BeToUtf8(std::span<const std::uint8_t> octets) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < octets.size(); i += 2) {
        units += static_cast<char16_t>((octets[i] << 8) | octets[i + 1]);
    }
    std::string out = Utf16ToUtf8(units);
    if (octets.size() % 2 != 0) {
        AppendUtf8(out, kReplacementCharacter);
    }
    return out;
}

}  // namespace sms
