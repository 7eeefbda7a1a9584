// The locale of this process on Windows: LANG when someone set it (as on POSIX, it overrides), then
// the user's locale as Windows keeps it (the language and region chosen in the system's settings).

#include <cstdlib>
#include <string>

#include <windows.h>

#include "base/WideText.h"
#include "i18n/GnuGettextInstance.h"

namespace i18n {

namespace {

std::string LocaleText(LCTYPE field) {
    wchar_t text[LOCALE_NAME_MAX_LENGTH] = {};
    const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, field, text, LOCALE_NAME_MAX_LENGTH);
    return length > 1 ? base::ToUtf8(std::wstring_view(text, static_cast<std::size_t>(length - 1)))
                      : std::string();
}

class SystemLocale final : public LocaleSource {
public:
    std::string LangVariable() override {
        const char* value = std::getenv("LANG");
        return value == nullptr ? std::string() : std::string(value);
    }
    std::string UserLanguageName() override { return LocaleText(LOCALE_SISO639LANGNAME); }
    std::string UserCountryName() override { return LocaleText(LOCALE_SISO3166CTRYNAME); }
    unsigned ThreadLocaleId() override { return ::GetThreadLocale(); }
    unsigned UserDefaultLangId() override { return ::GetUserDefaultLangID(); }
};

}  // namespace

LocaleSource& SystemLocaleSource() {
    static SystemLocale source;
    return source;
}

}  // namespace i18n
