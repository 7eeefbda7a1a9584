#include "i18n/GnuGettextInstance.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "i18n/Domain.h"
#include "i18n/Errors.h"
#include "i18n/FileLocator.h"
#include "tests/i18n/TestSupport.h"

namespace i18n {
namespace {

using test::FakeLocale;
using test::Fixture;
using test::RecordingSink;
using test::TempProgramDir;

struct GnuGettextInstanceTest : ::testing::Test {
    TempProgramDir dir;
    TFileLocator locator{dir.ProgramFile()};
    FakeLocale locale;
    RecordingSink sink;

    TGnuGettextInstance MakeEngine() { return TGnuGettextInstance(locator, dir.ProgramFile(), locale, sink); }
};

TEST_F(GnuGettextInstanceTest, StartsWithTheDefaultDomainBoundBesideTheProgram) {
    locale.Lang = "zh_CN.UTF-8";
    TGnuGettextInstance engine(locator, dir.ProgramFile(), locale, sink);
    EXPECT_EQ(dir.ProgramFolder() + "locale", engine.DefaultDirectory());
    EXPECT_EQ("default", engine.CurrentDomain());
    EXPECT_EQ("zh_CN", engine.CurrentLanguage());
    ASSERT_EQ(1u, engine.Domains().size());
    EXPECT_EQ(dir.ProgramFolder() + "locale" + base::kPathSeparator, engine.Domains()[0]->Directory());
    EXPECT_EQ("zh_CN", engine.Domains()[0]->LanguageCode());
    // Nothing is opened before the first lookup.
    EXPECT_EQ(0u, locator.OpenCatalogCount());
    EXPECT_EQ(&engine.FindDomain("DEFAULT"), engine.Domains()[0].get());
    EXPECT_EQ(1u, engine.Domains().size());
}

TEST_F(GnuGettextInstanceTest, AutomaticLanguageComesFromLangThenTheUserLocaleThenTheThreadLocale) {
    struct Row {
        std::string lang, language, country;
        unsigned threadId;
        std::string code, prompt;
    };
    const std::vector<Row> rows = {
        {"", "zh", "CN", 2052, "zh_CN", "提示"},
        {"", "zh", "TW", 1028, "zh_TW", "提示"},
        {"", "zh", "HK", 3076, "zh_HK", "Prompt"},
        {"", "en", "US", 1033, "en_US", "Prompt"},
        {"", "en", "GB", 2057, "en_GB", "Prompt"},
        {"", "no", "NO", 1044, "nb_NO", "Prompt"},
        {"", "NO", "NO", 1044, "nb_NO", "Prompt"},
        {"", "nn", "NO", 2068, "nn_NO", "Prompt"},
        {"", "C", "", 1031, "de_DE", "Prompt"},
        {"", "fil", "PH", 0, "C", "Prompt"},
        {"", "", "", 2052, "C", "Prompt"},
        {"zh_TW.UTF-8", "zh", "CN", 2052, "zh_TW", "提示"},
        {"C.UTF-8", "zh", "CN", 2052, "C", "Prompt"},
        {"zh_cn", "en", "US", 1033, "zh_cn", "提示"},
    };
    for (const Row& row : rows) {
        locale.Lang = row.lang;
        locale.Language = row.language;
        locale.Country = row.country;
        locale.ThreadId = row.threadId;
        TGnuGettextInstance engine = MakeEngine();
        EXPECT_EQ(row.code, engine.CurrentLanguage())
            << row.lang << "|" << row.language << "_" << row.country;
        EXPECT_EQ(row.prompt, engine.Translate("Prompt")) << row.code;
    }
    EXPECT_TRUE(sink.Shown.empty());
}

TEST_F(GnuGettextInstanceTest, EnglishCodesEndAtTheEnglishCatalog) {
    TGnuGettextInstance engine = MakeEngine();
    for (const char* code : {"en", "en_US", "en_GB"}) {
        engine.SelectLanguage(code);
        EXPECT_EQ("CMNET(China Mobile)", engine.Translate("CMNET(China Mobile)"));
        EXPECT_EQ("English", engine.FindDomain("default").GetHeaderField("Language-Team")) << code;
    }
}

TEST_F(GnuGettextInstanceTest, GivenCodesAreUsedExactlyAsReceived) {
    locale.Lang = "zh_TW.UTF-8";
    TGnuGettextInstance engine = MakeEngine();
    struct Row {
        std::string code, msgid, expected;
    };
    const std::vector<Row> rows = {
        {"zh_cn", "Prompt", "提示"},
        {"zh_cn", "Static IP", "固定IP"},
        {"zh_tw", "Prompt", "提示"},
        {"zh_tw", "Static IP", "固定IP"},
        {"zh_tw", "Automatic", "自動"},
        {"zh_CN", "Automatic", "自动"},
        {"en", "Prompt", "Prompt"},
        {"zh_CN.UTF-8", "Prompt", "Prompt"},
        {"zh_cn", "Not in catalog", "Not in catalog"},
    };
    for (const Row& row : rows) {
        engine.SelectLanguage(row.code);
        EXPECT_EQ(row.code, engine.CurrentLanguage());
        EXPECT_EQ(row.expected, engine.Translate(row.msgid)) << row.code << " " << row.msgid;
    }
}

TEST_F(GnuGettextInstanceTest, LineBreaksComeBackAsCrLf) {
    dir.PutCatalog("de", Fixture("de.mo"));
    TGnuGettextInstance engine = MakeEngine();
    engine.SelectLanguage("de_DE");
    EXPECT_EQ("Erste Zeile\r\nZweite Zeile", engine.Translate("First line\r\nSecond line"));
    EXPECT_EQ("Erste Zeile\r\nZweite Zeile", engine.Translate("First line\nSecond line"));
    EXPECT_EQ("Unknown\r\nlines\r\n", engine.Translate("Unknown\r\nlines\n"));
    EXPECT_EQ("Anschluss", engine.TranslateInDomain("DEFAULT", "Port"));

    engine.SelectLanguage("zh_CN");
    const std::string header = engine.Translate("");
    EXPECT_TRUE(header.starts_with("Project-Id-Version: dtusms 15.1.27.0\r\nPO-Revision-Date: ")) << header;
    EXPECT_TRUE(header.ends_with("\r\nLanguage-Team: Simplified Chinese\r\n")) << header;
    EXPECT_EQ(std::string::npos, header.find("\r\r"));
}

TEST_F(GnuGettextInstanceTest, DiskCatalogServesTheTwoLetterRetry) {
    dir.PutCatalog("de", Fixture("de.mo"));
    TGnuGettextInstance engine = MakeEngine();
    engine.SelectLanguage("de_DE");
    EXPECT_EQ("Hinweis", engine.Translate("Prompt"));
    ASSERT_NE(nullptr, engine.FindDomain("default").Catalog());
    EXPECT_EQ(TDomain::State::Open, engine.FindDomain("default").CurrentState());
}

TEST_F(GnuGettextInstanceTest, WrongCharsetIsReportedOnceAndEnglishStaysForTheRun) {
    dir.PutCatalog("de", Fixture("wrong-charset.mo"));
    TGnuGettextInstance engine = MakeEngine();
    engine.SelectLanguage("de");
    EXPECT_EQ("Port", engine.Translate("Port"));
    EXPECT_EQ("Prompt", engine.Translate("Prompt"));
    engine.SelectLanguage("zh_CN");
    EXPECT_EQ("Prompt", engine.Translate("Prompt"));
    engine.SelectLanguage("de");
    EXPECT_EQ("Port", engine.Translate("Port"));
    ASSERT_EQ(1u, sink.Shown.size());
    EXPECT_EQ("Localization problem", sink.Shown[0].first);
    EXPECT_EQ(0u, locator.OpenCatalogCount());
}

TEST_F(GnuGettextInstanceTest, DomainsOfTheSameLanguageShareOneCatalogUntilTheLanguageChanges) {
    TGnuGettextInstance first = MakeEngine();
    TGnuGettextInstance second = MakeEngine();
    first.SelectLanguage("zh_CN");
    second.SelectLanguage("zh_CN");
    EXPECT_EQ("提示", first.Translate("Prompt"));
    EXPECT_EQ("提示", second.Translate("Prompt"));
    const TMoFile* shared = first.FindDomain("default").Catalog();
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(shared, second.FindDomain("default").Catalog());
    EXPECT_EQ(2, shared->UserCount());
    EXPECT_EQ(1u, locator.OpenCatalogCount());

    first.SelectLanguage("zh_TW");
    EXPECT_EQ(1, shared->UserCount());
    second.SelectLanguage("zh_TW");
    EXPECT_EQ(0u, locator.OpenCatalogCount());
    EXPECT_EQ("自動", first.Translate("Automatic"));
    EXPECT_EQ(1, first.FindDomain("default").Catalog()->UserCount());
}

TEST_F(GnuGettextInstanceTest, BrokenDiskCatalogReachesTheCallerEveryTime) {
    dir.PutCatalog("de", test::TestData("offset-past-end.mo"));
    TGnuGettextInstance engine = MakeEngine();
    engine.SelectLanguage("de");
    EXPECT_THROW(engine.Translate("Port"), EGGIOError);
    EXPECT_THROW(engine.Translate("Port"), EGGIOError);
    EXPECT_TRUE(sink.Shown.empty());
}

TEST(InstalledCatalogDirectoryTest, OnlyAProgramInABinFolderHasOne) {
    const struct {
        const char* program;
        const char* directory;
    } rows[] = {
#ifdef _WIN32
        {"C:\\Program Files\\dtusms\\bin\\dtusms.exe", "C:\\Program Files\\dtusms\\share\\dtusms\\locale"},
        {"C:/msys64/usr/bin/dtusms.exe", "C:/msys64/usr/share\\dtusms\\locale"},
        {"C:\\Tools\\dtusms\\dtusms.exe", ""},
        {"C:\\Tools\\sbin\\dtusms.exe", ""},
#else
        {"/usr/bin/dtusms", "/usr/share/dtusms/locale"},
        {"/usr/local/bin/dtusms", "/usr/local/share/dtusms/locale"},
        {"/bin/dtusms", "/share/dtusms/locale"},
#endif
        {"/opt/dtusms/dtusms", ""},
        {"/home/u/build/app/dtusms", ""},
        {"/usr/sbin/dtusms", ""},
        {"/usr/BIN/dtusms", ""},
        {"dtusms", ""},
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(InstalledCatalogDirectory(row.program), row.directory) << row.program;
    }
}

// An installed program: <prefix>/bin/dtusms, catalogs also in <prefix>/share/dtusms/locale.
TEST(InstalledCatalogsTest, SearchedAfterTheProgramsOwnFolderAndNeverBeforeABuiltInCatalog) {
    const TempProgramDir prefix;
    const std::filesystem::path installed = prefix.Path() / "share" / "dtusms" / "locale";
    const auto put = [](const std::filesystem::path& folder, const std::string& code,
                        const std::string& port) {
        const std::filesystem::path target = folder / code / "LC_MESSAGES/default.mo";
        std::filesystem::create_directories(target.parent_path());
        test::WriteBytes(
            target, test::WriteCatalog({{"", "Content-Type: text/plain; charset=UTF-8\n"}, {"Port", port}}));
    };
    const std::filesystem::path besideProgram = prefix.Path() / "bin/locale";
    put(installed, "de_DE", "installed de_DE");
    put(installed, "fr", "installed fr");
    put(installed, "zh_CN", "installed zh_CN");
    put(besideProgram, "de", "beside de");
    put(installed, "it_IT", "installed it_IT");
    put(besideProgram, "it_IT", "beside it_IT");

    const std::string program = (prefix.Path() / "bin/dtusms").string();
    TFileLocator locator(program);
    FakeLocale locale;
    RecordingSink sink;
    TGnuGettextInstance engine(locator, program, locale, sink);
    EXPECT_EQ(engine.InstalledDirectory(), installed.string());
    const struct {
        const char* code;
        const char* port;
    } rows[] = {
        // The program's own folder is searched whole (the code, then its first two letters) first.
        {"de_DE", "beside de"},
        {"it_IT", "beside it_IT"},
        {"fr_FR", "installed fr"},
        {"fr", "installed fr"},
        // The built-in catalog is found through the program's own folder, before any file.
        {"zh_CN", "端口"},
        {"es_ES", "Port"},
    };
    for (const auto& row : rows) {
        engine.SelectLanguage(row.code);
        EXPECT_EQ(engine.Translate("Port"), row.port) << row.code;
    }
    EXPECT_TRUE(sink.Shown.empty());

    // A program outside a "bin" folder (beside that prefix's "share") looks beside itself only.
    const std::string portable = (prefix.Path() / "portable/dtusms").string();
    put(prefix.Path() / "portable/locale", "de", "portable de");
    TFileLocator portableLocator(portable);
    TGnuGettextInstance portableEngine(portableLocator, portable, locale, sink);
    EXPECT_EQ(portableEngine.InstalledDirectory(), "");
    portableEngine.SelectLanguage("de_DE");
    EXPECT_EQ(portableEngine.Translate("Port"), "portable de");
    portableEngine.SelectLanguage("fr_FR");
    EXPECT_EQ(portableEngine.Translate("Port"), "Port");
}

}  // namespace
}  // namespace i18n
