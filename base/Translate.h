#pragma once

// The one shape of a translation function that the cores take from the program.

#include <functional>
#include <string>

namespace base {

// The translation of an English message identifier (UTF-8). An empty function leaves texts in English.
using TranslateFn = std::function<std::string(const std::string&)>;

// translate(english), or `english` itself when `translate` is empty.
inline std::string TranslateOrKeep(const TranslateFn& translate, const std::string& english) {
    return translate ? translate(english) : english;
}

}  // namespace base
