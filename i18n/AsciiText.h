#pragma once

// The engine's case rules for names, language codes and catalog paths: ASCII letters only, byte by
// byte, the same under every locale. Every other byte (UTF-8 included) is left as it is.

#include <algorithm>
#include <string>
#include <string_view>

namespace i18n {

// `c` in upper case when it is an ASCII lower-case letter; `c` itself otherwise.
constexpr char AsciiUpper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` with every ASCII letter in upper case.
inline std::string UpperCaseAscii(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
    return upper;
}

// True when `a` and `b` are equal once their ASCII letters are in one case.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

}  // namespace i18n
