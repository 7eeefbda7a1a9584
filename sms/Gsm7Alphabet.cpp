#include "sms/Gsm7Alphabet.h"

#include "sms/UnicodeText.h"

namespace sms {
namespace {

// The code point of each septet value; the escape's own slot is never looked up for decoding.
constexpr char16_t kDefaultAlphabet[128] = {
    u'@',      u'\u00A3', u'$',      u'\u00A5', u'\u00E8', u'\u00E9', u'\u00F9', u'\u00EC',  // 0x00
    u'\u00F2', u'\u00C7', u'\n',     u'\u00D8', u'\u00F8', u'\r',     u'\u00C5', u'\u00E5',  // 0x08
    u'\u0394', u'_',      u'\u03A6', u'\u0393', u'\u039B', u'\u03A9', u'\u03A0', u'\u03A8',  // 0x10
    u'\u03A3', u'\u0398', u'\u039E', u'\x1B',   u'\u00C6', u'\u00E6', u'\u00DF', u'\u00C9',  // 0x18
    u' ',      u'!',      u'"',      u'#',      u'\u00A4', u'%',      u'&',      u'\'',      // 0x20
    u'(',      u')',      u'*',      u'+',      u',',      u'-',      u'.',      u'/',       // 0x28
    u'0',      u'1',      u'2',      u'3',      u'4',      u'5',      u'6',      u'7',       // 0x30
    u'8',      u'9',      u':',      u';',      u'<',      u'=',      u'>',      u'?',       // 0x38
    u'\u00A1', u'A',      u'B',      u'C',      u'D',      u'E',      u'F',      u'G',       // 0x40
    u'H',      u'I',      u'J',      u'K',      u'L',      u'M',      u'N',      u'O',       // 0x48
    u'P',      u'Q',      u'R',      u'S',      u'T',      u'U',      u'V',      u'W',       // 0x50
    u'X',      u'Y',      u'Z',      u'\u00C4', u'\u00D6', u'\u00D1', u'\u00DC', u'\u00A7',  // 0x58
    u'\u00BF', u'a',      u'b',      u'c',      u'd',      u'e',      u'f',      u'g',       // 0x60
    u'h',      u'i',      u'j',      u'k',      u'l',      u'm',      u'n',      u'o',       // 0x68
    u'p',      u'q',      u'r',      u's',      u't',      u'u',      u'v',      u'w',       // 0x70
    u'x',      u'y',      u'z',      u'\u00E4', u'\u00F6', u'\u00F1', u'\u00FC', u'\u00E0',  // 0x78
};

struct Extension {
    std::uint8_t code;
    char16_t character;
};

constexpr Extension kExtensionTable[] = {
    {0x0A, u'\f'}, {0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
    {0x3C, u'['},  {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'}, {0x65, u'\u20AC'},
};

// The search over both tables, done at compile time for ASCII and at run time for the rest.
constexpr Gsm7Character SearchGsm7(char32_t codePoint) {
    for (std::uint8_t septet = 0; septet < 128; ++septet) {
        if (septet != kGsm7Escape && kDefaultAlphabet[septet] == codePoint) {
            return {1, {septet, 0}};
        }
    }
    for (const Extension& extension : kExtensionTable) {
        if (extension.character == codePoint) {
            return {2, {kGsm7Escape, extension.code}};
        }
    }
    return {};
}

struct AsciiTable {
    Gsm7Character characters[128];
};

constexpr AsciiTable BuildAsciiTable() {
    AsciiTable table{};
    for (char32_t c = 0; c < 128; ++c) {
        table.characters[c] = SearchGsm7(c);
    }
    return table;
}

// Commands are nearly all ASCII, and every character of every command is measured: a look-up spares
// the search through 138 entries each time.
constexpr AsciiTable kAscii = BuildAsciiTable();

}  // namespace

Gsm7Character EncodeGsm7(char32_t codePoint) {
    return codePoint < 128 ? kAscii.characters[codePoint] : SearchGsm7(codePoint);
}

std::string DecodeGsm7(std::span<const std::uint8_t> septets) {
    std::string out;
    for (std::size_t i = 0; i < septets.size(); ++i) {
        const std::uint8_t septet = septets[i] & 0x7F;
        if (septet != kGsm7Escape) {
            AppendUtf8(out, kDefaultAlphabet[septet]);
            continue;
        }
        if (i + 1 == septets.size()) {
            out += ' ';
            break;
        }
        const std::uint8_t code = septets[++i] & 0x7F;
        char32_t character = code == kGsm7Escape ? U' ' : kDefaultAlphabet[code];
        for (const Extension& extension : kExtensionTable) {
            if (extension.code == code) {
                character = extension.character;
            }
        }
        AppendUtf8(out, character);
    }
    return out;
}

std::vector<std::uint8_t> PackSeptets(std::span<const std::uint8_t> septets, int fillBits) {
    std::vector<std::uint8_t> octets((fillBits + 7 * septets.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < septets.size(); ++i) {
        const unsigned value = septets[i] & 0x7F;
        const std::size_t bit = fillBits + 7 * i;
        const unsigned shift = bit % 8;
        octets[bit / 8] |= static_cast<std::uint8_t>(value << shift);
        // A septet starting past bit 1 of an octet spills its high bits into the next one.
        if (shift > 1) {
            octets[bit / 8 + 1] |= static_cast<std::uint8_t>(value >> (8 - shift));
        }
    }
    return octets;
}

std::vector<std::uint8_t> UnpackSeptets(std::span<const std::uint8_t> octets, int fillBits,
                                        std::size_t count) {
    const std::size_t bits = 8 * octets.size();
    std::vector<std::uint8_t> septets;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t bit = fillBits + 7 * i;
        if (bit + 7 > bits) {
            break;
        }
        const unsigned shift = bit % 8;
        unsigned value = octets[bit / 8] >> shift;
        if (shift > 1) {
            value |= static_cast<unsigned>(octets[bit / 8 + 1]) << (8 - shift);
        }
        septets.push_back(static_cast<std::uint8_t>(value & 0x7F));
    }
    return septets;
}

}  // namespace sms
