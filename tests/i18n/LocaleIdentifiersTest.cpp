#include "i18n/LocaleIdentifiers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "i18n/GnuGettextInstance.h"
#include "tests/base/Environment.h"

namespace i18n {
namespace {

TEST(LocaleIdentifiersTest, CodesGiveTheirIdentifiersWithoutChangingTheThreadLocaleTable) {
    struct Row {
        unsigned id;
        std::string code;
        std::string threadLocaleCode;
    };
    const std::vector<Row> rows = {
        {2052, "zh_CN", "C"},     {1028, "zh_TW", "C"},     {1033, "en_US", "en_US"},
        {1044, "nb_NO", "nb_NO"}, {2057, "en_GB", "en_GB"}, {1042, "ko_KO", "ko_KO"},
        {4103, "de_LU", "de_LU"}, {1034, "es_ES", "es_ES"}, {0, "", "C"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.threadLocaleCode, LanguageCodeForThreadLocale(row.id)) << row.id;
        if (!row.code.empty()) {
            EXPECT_EQ(row.id, LocaleIdForCode(row.code)) << row.code;
        }
    }
    EXPECT_EQ("es_ES", LanguageCodeForThreadLocale(3082));
    EXPECT_EQ(2052u, LocaleIdForCode("ZH_cn"));
    EXPECT_EQ(0u, LocaleIdForCode("xx_YY"));
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
            hadValue_ = true;
        }
        value == nullptr ? testenv::UnsetVariable(name) : testenv::SetVariable(name, value);
    }
    ~ScopedEnvironment() { hadValue_ ? testenv::SetVariable(name_, old_) : testenv::UnsetVariable(name_); }

private:
    const char* name_;
    std::string old_;
    bool hadValue_ = false;
};

#ifdef _WIN32
// Windows keeps the user's locale in its settings, not in LC_ALL or LC_MESSAGES. The Windows tests
// run Wine with LC_ALL=C.UTF-8, which Wine takes for US English.
TEST(LocaleIdentifiersTest, SystemLocaleReadsLangThenTheSystemsSettings) {
    for (const char* lang : {"zh_TW.UTF-8", static_cast<const char*>(nullptr)}) {
        ScopedEnvironment variable("LANG", lang);
        ScopedEnvironment all("LC_ALL", "zh_CN.UTF-8");
        LocaleSource& source = SystemLocaleSource();
        EXPECT_EQ(lang == nullptr ? "" : lang, source.LangVariable());
        EXPECT_EQ("en", source.UserLanguageName());
        EXPECT_EQ("US", source.UserCountryName());
        EXPECT_EQ(1033u, source.ThreadLocaleId());
        EXPECT_EQ(1033u, source.UserDefaultLangId());
    }
}
#else
TEST(LocaleIdentifiersTest, SystemLocaleReadsLangThenLcAllThenLcMessages) {
    struct Row {
        const char* lang;
        const char* lcAll;
        const char* lcMessages;
        std::string language, country;
        unsigned id;
    };
    const std::vector<Row> rows = {
        {"zh_TW.UTF-8", "zh_CN.UTF-8", "en_US.UTF-8", "zh", "CN", 2052},
        {nullptr, nullptr, "zh_TW.UTF-8", "zh", "TW", 1028},
        {nullptr, "", "en_US@euro", "en", "US", 1033},
        {nullptr, "C.UTF-8", nullptr, "C", "", 0},
        {nullptr, "POSIX", nullptr, "POSIX", "", 0},
        {nullptr, nullptr, nullptr, "", "", 0},
    };
    for (const Row& row : rows) {
        ScopedEnvironment lang("LANG", row.lang);
        ScopedEnvironment all("LC_ALL", row.lcAll);
        ScopedEnvironment messages("LC_MESSAGES", row.lcMessages);
        LocaleSource& source = SystemLocaleSource();
        EXPECT_EQ(row.lang == nullptr ? "" : row.lang, source.LangVariable());
        EXPECT_EQ(row.language, source.UserLanguageName());
        EXPECT_EQ(row.country, source.UserCountryName());
        EXPECT_EQ(row.id, source.ThreadLocaleId());
        EXPECT_EQ(row.id, source.UserDefaultLangId());
    }
}
#endif

}  // namespace
}  // namespace i18n
