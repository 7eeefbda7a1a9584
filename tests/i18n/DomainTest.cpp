#include "i18n/Domain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "i18n/Errors.h"
#include "i18n/FileLocator.h"
#include "tests/i18n/TestSupport.h"

namespace i18n {
namespace {

using test::Fixture;
using test::RecordingSink;
using test::TempProgramDir;

struct DomainTest : ::testing::Test {
    TempProgramDir dir;
    TFileLocator locator{dir.ProgramFile()};
    RecordingSink sink;
    TDomain domain{locator, sink, "default"};

    DomainTest() { domain.SetDirectory((dir.Path() / "locale").string()); }
};

TEST_F(DomainTest, StatesFollowTheSearchAndEveryChangeClosesAgain) {
    EXPECT_EQ(dir.ProgramFolder() + "locale" + base::kPathSeparator, domain.Directory());
    domain.SetLanguageCode("fr_FR");
    EXPECT_EQ(TDomain::State::Closed, domain.CurrentState());
    EXPECT_EQ("Port", domain.Lookup("Port").Text);
    EXPECT_EQ(TDomain::State::Missing, domain.CurrentState());

    // A catalog that appears later is found only after the next language or directory change.
    dir.PutCatalog("fr", Fixture("de.mo"));
    EXPECT_EQ("Port", domain.Lookup("Port").Text);
    domain.SetDirectory(domain.Directory());
    EXPECT_EQ(TDomain::State::Closed, domain.CurrentState());
    EXPECT_EQ("Anschluss", domain.Lookup("Port").Text);
    EXPECT_EQ(TDomain::State::Open, domain.CurrentState());
    EXPECT_EQ(1u, locator.OpenCatalogCount());

    domain.SetLanguageCode("zh_cn");
    EXPECT_EQ(TDomain::State::Closed, domain.CurrentState());
    EXPECT_EQ(0u, locator.OpenCatalogCount());
    EXPECT_TRUE(sink.Shown.empty());
}

TEST_F(DomainTest, HeaderFieldsMatchWithoutRegardToCase) {
    domain.SetLanguageCode("zh_TW");
    struct Row {
        std::string name, value;
    };
    for (const Row& row : std::vector<Row>{{"Content-Type", "text/plain; charset=UTF-8"},
                                           {"content-type", "text/plain; charset=UTF-8"},
                                           {"MIME-Version", "1.0"},
                                           {"Language-Team", "Traditional Chinese"},
                                           {"Plural-Forms", ""},
                                           {"Content", ""}}) {
        EXPECT_EQ(row.value, domain.GetHeaderField(row.name)) << row.name;
    }
}

TEST_F(DomainTest, CatalogWithoutUtf8CharsetTurnsTheDomainOffForGood) {
    for (const std::string fixture : {"wrong-charset.mo", "no-header.mo"}) {
        TempProgramDir other;
        TFileLocator otherLocator(other.ProgramFile());
        RecordingSink shown;
        TDomain off(otherLocator, shown, "default");
        off.SetDirectory((other.Path() / "locale").string());
        off.SetLanguageCode("de_DE");
        const std::string path = other.PutCatalog("de", Fixture(fixture)).string();

        EXPECT_EQ("Port", off.Lookup("Port").Text) << fixture;
        ASSERT_EQ(1u, shown.Shown.size()) << fixture;
        EXPECT_EQ("Localization problem", shown.Shown[0].first);
        EXPECT_EQ("The translation for the language code de_DE (in " + path +
                      ") does not have charset=utf-8 in its Content-Type. Translations are turned off.",
                  shown.Shown[0].second);
        EXPECT_FALSE(off.Active());
        EXPECT_EQ(TDomain::State::Closed, off.CurrentState());
        EXPECT_EQ(0u, otherLocator.OpenCatalogCount());

        off.SetLanguageCode("zh_CN");
        EXPECT_EQ("Port", off.Lookup("Port").Text);
        EXPECT_EQ(1u, shown.Shown.size());
    }
}

TEST_F(DomainTest, LoadErrorsReachTheCallerAndAreNotRemembered) {
    domain.SetLanguageCode("de");
    const std::filesystem::path path = dir.PutCatalog("de", test::TestData("truncated-header.mo"));
    EXPECT_THROW(domain.Lookup("Port"), EGGIOError);
    EXPECT_EQ(TDomain::State::Closed, domain.CurrentState());
    EXPECT_THROW(domain.Lookup("Port"), EGGIOError);

    // Once the file is mended the next lookup succeeds without any reset.
    std::filesystem::copy_file(Fixture("de.mo"), path, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ("Anschluss", domain.Lookup("Port").Text);
}

TEST_F(DomainTest, DirectoryAtTheCatalogPathCountsAsNoCatalog) {
    domain.SetLanguageCode("de");
    std::filesystem::create_directories(dir.Path() / "locale/de/LC_MESSAGES/default.mo");
    EXPECT_EQ("Port", domain.Lookup("Port").Text);
    EXPECT_EQ(TDomain::State::Missing, domain.CurrentState());
}

}  // namespace
}  // namespace i18n
