#pragma once

// Locale sources with fixed answers, for tests and benchmarks whose results must not depend on the
// machine's locale, and a message sink that shows nothing.

#include <string>
#include <utility>

#include "i18n/GnuGettextInstance.h"

namespace i18n::test {

// LANG, the user's language and country names, and one locale identifier for both identifier questions.
class ConstantLocale : public LocaleSource {
public:
    ConstantLocale(std::string lang, std::string language, std::string country, unsigned localeId)
        : lang_(std::move(lang)),
          language_(std::move(language)),
          country_(std::move(country)),
          localeId_(localeId) {}

    std::string LangVariable() override { return lang_; }
    std::string UserLanguageName() override { return language_; }
    std::string UserCountryName() override { return country_; }
    unsigned ThreadLocaleId() override { return localeId_; }
    unsigned UserDefaultLangId() override { return localeId_; }

private:
    std::string lang_;
    std::string language_;
    std::string country_;
    unsigned localeId_;
};

// US English, LANG=en.
class EnglishLocale final : public ConstantLocale {
public:
    EnglishLocale() : ConstantLocale("en", "en", "US", 1033) {}
};

class SilentMessages final : public MessageSink {
public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

}  // namespace i18n::test
