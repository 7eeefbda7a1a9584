#include <cstdlib>
#include <string>
#include <string_view>

#include "i18n/GnuGettextInstance.h"
#include "i18n/LocaleIdentifiers.h"

namespace i18n {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// A POSIX locale name: language[_country][.charset][@modifier].
struct PosixLocale {
    std::string Language;
    std::string Country;
};

PosixLocale UserLocale() {
    std::string name = Environment("LC_ALL");
    if (name.empty()) {
        name = Environment("LC_MESSAGES");
    }
    const std::string_view text = name;
    const std::size_t languageEnd = text.find_first_of("_.@");
    PosixLocale locale{std::string(text.substr(0, languageEnd)), {}};
    if (languageEnd != std::string_view::npos && text[languageEnd] == '_') {
        const std::string_view rest = text.substr(languageEnd + 1);
        locale.Country = std::string(rest.substr(0, rest.find_first_of(".@")));
    }
    return locale;
}

class SystemLocale final : public LocaleSource {
public:
    std::string LangVariable() override { return Environment("LANG"); }
    std::string UserLanguageName() override { return UserLocale().Language; }
    std::string UserCountryName() override { return UserLocale().Country; }
    unsigned ThreadLocaleId() override { return UserLocaleId(); }
    unsigned UserDefaultLangId() override { return UserLocaleId(); }

private:
    static unsigned UserLocaleId() {
        const PosixLocale locale = UserLocale();
        return LocaleIdForCode(locale.Language + "_" + locale.Country);
    }
};

}  // namespace

LocaleSource& SystemLocaleSource() {
    static SystemLocale source;
    return source;
}

}  // namespace i18n
