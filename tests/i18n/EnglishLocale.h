#pragma once

// A locale source that always answers US English (LANG=en), for tests and benchmarks whose results
// must not depend on the machine's locale, and a message sink that shows nothing.

#include <string>

#include "i18n/GnuGettextInstance.h"

namespace i18n::test {

class EnglishLocale final : public LocaleSource {
public:
    std::string LangVariable() override { return "en"; }
    std::string UserLanguageName() override { return "en"; }
    std::string UserCountryName() override { return "US"; }
    unsigned ThreadLocaleId() override { return 1033; }
    unsigned UserDefaultLangId() override { return 1033; }
};

class SilentMessages final : public MessageSink {
public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

}  // namespace i18n::test
