#include "sms/UnicodeText.h"

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
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += lead;
            ++i;
            continue;
        }
        int trailing = 0;
        char32_t codePoint = 0;
        // The allowed range of the first continuation byte excludes overlong forms (E0, F0),
        // surrogates (ED) and values past U+10FFFF (F4) without decoding them first.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            trailing = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trailing = 2;
            codePoint = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trailing = 3;
            codePoint = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            out += kReplacementCharacter;
            ++i;
            continue;
        }
        std::size_t next = i + 1;
        bool complete = true;
        for (int k = 0; k < trailing; ++k) {
            const auto byte = next < utf8.size() ? static_cast<unsigned char>(utf8[next]) : 0;
            if (next >= utf8.size() || byte < low || byte > high) {
                complete = false;
                break;
            }
            codePoint = (codePoint << 6) | (byte & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++next;
        }
        out += complete ? codePoint : kReplacementCharacter;
        i = next;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (!IsScalarValue(codePoint)) {
        codePoint = kReplacementCharacter;
    }
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
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

std::string Utf16BeToUtf8(std::span<const std::uint8_t> octets) {
    std::string out;
    const std::size_t units = octets.size() / 2;
    const auto unitAt = [&](std::size_t i) -> char32_t { return (octets[2 * i] << 8) | octets[2 * i + 1]; };
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = unitAt(i);
        if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);  // a lone surrogate turns into U+FFFD there
        }
    }
    if (octets.size() % 2 != 0) {
        AppendUtf8(out, kReplacementCharacter);
    }
    return out;
}

}  // namespace sms
