#pragma once

// Byte-wise text rules that hold under every locale: ASCII letter case, hex digits and the trimming
// of blanks and control characters. Every other byte (UTF-8 included) is left as it is.

#include <string>
#include <string_view>

namespace base {

// `c` in upper (lower) case when it is an ASCII lower-case (upper-case) letter; `c` itself otherwise.
constexpr char AsciiUpper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char AsciiLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The value of the hex digit `c` (either case), -1 when it is none.
constexpr int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// `text` with every ASCII letter in upper (lower) case.
std::string UpperCaseAscii(std::string_view text);
std::string LowerCaseAscii(std::string_view text);

// True when `a` and `b` are equal once their ASCII letters are in one case.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept;

// `text` without the bytes of code 32 or less (space, tab, line breaks, NUL and the other control
// characters) at both ends. Bytes of UTF-8 multibyte characters are all above 127, so such characters
// are kept whole; DEL (127) is kept too. The view points into `text`.
std::string_view TrimBlanks(std::string_view text) noexcept;

}  // namespace base
