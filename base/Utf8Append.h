#pragma once

// Writing one code point as UTF-8, for every decoder that turns another encoding into the program's
// text (UTF-16 files and SMS texts, the GSM 7-bit alphabet).

#include <string>

namespace base {

// Appends `codePoint` as UTF-8; a surrogate or a value above U+10FFFF is appended as U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace base
