#pragma once

// The first byte of a UTF-8 sequence, read by the decoders and validators that must agree on what
// well-formed UTF-8 is.

namespace base {

// What a lead byte says: how many continuation bytes follow it, its bits of the code point, and the
// range the first continuation byte must fall in (every later one is 80..BF). That range excludes
// overlong forms (E0, F0), surrogates (ED) and values past U+10FFFF (F4) without decoding them first.
// `trailing` is 0 for a byte that starts no multibyte sequence: ASCII, a continuation byte, C0, C1
// and F5..FF.
struct Utf8Lead {
    int trailing = 0;
    char32_t bits = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Utf8Lead ReadUtf8Lead(unsigned char lead);

}  // namespace base
