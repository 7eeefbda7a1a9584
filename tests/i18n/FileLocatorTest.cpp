#include "i18n/FileLocator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "i18n/Errors.h"
#include "tests/i18n/TestSupport.h"

namespace i18n {
namespace {

using test::Fixture;
using test::TempProgramDir;

TEST(FileLocatorTest, RelativePathsMapToBlockNames) {
    struct Row {
        std::string rel, name;
        bool present;
    };
    const std::vector<Row> rows = {
        {"locale/zh_cn/LC_MESSAGES/default.mo", "LOCALE_ZH_CN_DEFAULT", true},
        {"locale\\zh_TW\\LC_MESSAGES\\default.mo", "LOCALE_ZH_TW_DEFAULT", true},
        {"locale/en/LC_MESSAGES/default.mo", "LOCALE_EN_DEFAULT", true},
        {"locale/en_US/LC_MESSAGES/default.mo", "LOCALE_EN_US_DEFAULT", false},
        {"locale/zh_HK/LC_MESSAGES/default.mo", "LOCALE_ZH_HK_DEFAULT", false},
        {"locale/zh/LC_MESSAGES/default.mo", "LOCALE_ZH_DEFAULT", false},
        {"locale/C/LC_MESSAGES/default.mo", "LOCALE_C_DEFAULT", false},
        {"locale//LC_MESSAGES/default.mo", "LOCALE__DEFAULT", false},
    };
    TempProgramDir dir;
    TFileLocator locator(dir.ProgramFile());
    EXPECT_EQ(dir.ProgramFolder(), locator.ProgramDirectory());
    for (const Row& row : rows) {
        EXPECT_EQ(row.name, TFileLocator::ResourceNameFor(row.rel));
        EXPECT_EQ(row.present, locator.CatalogExists(locator.ProgramDirectory() + row.rel)) << row.rel;
        // A path outside the program folder is mapped as it stands.
        EXPECT_EQ(row.present, locator.CatalogExists(row.rel)) << row.rel;
    }
}

TEST(FileLocatorTest, TwoHoldersShareOneCatalogAndTheLastReleaseFreesIt) {
    TempProgramDir dir;
    TFileLocator locator(dir.ProgramFile());
    const std::string resourcePath = locator.ProgramDirectory() + "locale/zh_CN/LC_MESSAGES/default.mo";
    const std::string diskPath = dir.PutCatalog("de", Fixture("de.mo")).string();
    ASSERT_TRUE(locator.CatalogExists(resourcePath));

    TMoFile* first = locator.AcquireCatalog(resourcePath);
    TMoFile* second = locator.AcquireCatalog(resourcePath);
    TMoFile* disk = locator.AcquireCatalog(diskPath);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, disk);
    EXPECT_EQ(2, first->UserCount());
    EXPECT_EQ(1, disk->UserCount());
    EXPECT_EQ(2u, locator.OpenCatalogCount());

    locator.ReleaseCatalog(second);
    EXPECT_EQ(1, first->UserCount());
    EXPECT_EQ(2u, locator.OpenCatalogCount());
    locator.ReleaseCatalog(first);
    locator.ReleaseCatalog(disk);
    EXPECT_EQ(0u, locator.OpenCatalogCount());
}

TEST(FileLocatorTest, ProgramCatalogWinsOverAFileOfTheSamePath) {
    TempProgramDir dir;
    TFileLocator locator(dir.ProgramFile());
    // A broken file where the program has its own catalog: never read.
    const std::string path = dir.PutCatalog("zh_cn", test::TestData("bad-magic.mo")).string();
    ASSERT_TRUE(locator.CatalogExists(path));
    TMoFile* catalog = locator.AcquireCatalog(path);
    EXPECT_EQ("提示", catalog->Lookup("Prompt").Text);
    locator.ReleaseCatalog(catalog);
}

TEST(FileLocatorTest, FailedLoadKeepsNothingAndNamesTheFile) {
    TempProgramDir dir;
    TFileLocator locator(dir.ProgramFile());
    const std::string path = dir.PutCatalog("de", test::TestData("length-overflow.mo")).string();
    try {
        locator.AcquireCatalog(path);
        ADD_FAILURE() << "a hostile catalog was accepted";
    } catch (const EGGIOError& error) {
        EXPECT_EQ("This file is not a valid GNU gettext mo file: " + path, std::string(error.what()));
    }
    EXPECT_EQ(0u, locator.OpenCatalogCount());
}

TEST(FileLocatorTest, BrokenProgramCatalogNamesTheProgramFile) {
    const std::vector<std::byte> broken = test::ReadBytes(test::TestData("offset-past-end.mo"));
    TFileLocator locator("/opt/dtusms/dtusms",
                         [&broken](std::string_view name) -> std::optional<std::span<const std::byte>> {
                             if (name == "LOCALE_DE_DEFAULT") {
                                 return std::span<const std::byte>(broken);
                             }
                             return std::nullopt;
                         });
    const std::string path = "/opt/dtusms/locale/de/LC_MESSAGES/default.mo";
    ASSERT_TRUE(locator.CatalogExists(path));
    try {
        locator.AcquireCatalog(path);
        ADD_FAILURE() << "a broken program catalog was accepted";
    } catch (const EGGIOError& error) {
        EXPECT_EQ(std::string("This file is not a valid GNU gettext mo file: /opt/dtusms/dtusms"),
                  error.what());
    }
}

}  // namespace
}  // namespace i18n
