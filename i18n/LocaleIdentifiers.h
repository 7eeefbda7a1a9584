#pragma once

// Numeric locale identifiers (2052 zh_CN, 1028 zh_TW, 1033 en_US, ...) and language codes.

#include <string_view>

namespace i18n {

// The language code that the automatic choice takes for a thread locale identifier; "C" for any
// identifier the table does not hold.
std::string_view LanguageCodeForThreadLocale(unsigned localeId) noexcept;

// The identifier of a language_COUNTRY code ("zh_CN" -> 2052), compared without regard to ASCII case;
// 0 when unknown.
unsigned LocaleIdForCode(std::string_view code) noexcept;

}  // namespace i18n
