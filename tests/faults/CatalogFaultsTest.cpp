// A catalog on disk that was cut short (a copy interrupted, a disk that filled up): the engine
// reports it as EGGIOError at the lookup that needs it, keeps nothing of it, and goes on working in
// other languages and with the catalog once it is whole again.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "i18n/Errors.h"
#include "i18n/FileLocator.h"
#include "i18n/GnuGettextInstance.h"
#include "tests/faults/FaultsSupport.h"
#include "tests/i18n/EnglishLocale.h"

namespace {

namespace fs = std::filesystem;

struct NoLocale final : i18n::test::ConstantLocale {
    NoLocale() : i18n::test::ConstantLocale("C", "", "", 1033) {}
};

struct RecordingSink final : i18n::MessageSink {
    std::vector<std::string> shown;
    void ShowMessage(const std::string& caption, const std::string& text) override {
        shown.push_back(caption + ": " + text);
    }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(CatalogFaultsTest, TruncatedDiskCatalogIsAnIoErrorAtEveryLengthAndTheEngineGoesOn) {
    // The Simplified Chinese catalog, served from disk under a code that has no catalog in the program.
    const std::string whole = ReadFile(DTUSMS_COMPILED_CATALOGS "/zh_CN.mo");
    ASSERT_GT(whole.size(), 1000u);
    faults::TempFolder program;
    const fs::path catalog = program.path() / "locale" / "de" / "LC_MESSAGES" / "default.mo";
    fs::create_directories(catalog.parent_path());
    const std::string programFile = (program.path() / "dtusms").string();

    std::vector<std::size_t> lengths = {0, 1, 3, 4, 8, 27, 28, 29, whole.size() - 1};
    for (std::size_t length = 37; length < whole.size(); length += 61) {
        lengths.push_back(length);
    }
    for (const std::size_t length : lengths) {
        SCOPED_TRACE("catalog cut to " + std::to_string(length) + " of " + std::to_string(whole.size()) +
                     " bytes");
        WriteFile(catalog, std::string_view(whole).substr(0, length));
        i18n::TFileLocator locator(programFile);
        NoLocale locale;
        RecordingSink sink;
        i18n::TGnuGettextInstance engine(locator, programFile, locale, sink);
        engine.SelectLanguage("de_DE");
        try {
            engine.Translate("Prompt");
            ADD_FAILURE() << "a truncated catalog was accepted";
        } catch (const i18n::EGGIOError& error) {
            EXPECT_EQ("This file is not a valid GNU gettext mo file: " + catalog.string(),
                      std::string(error.what()));
        }
        EXPECT_EQ(0u, locator.OpenCatalogCount());
        // The same lookup asks again (and fails again) instead of remembering a half catalog.
        EXPECT_THROW(engine.Translate("Port"), i18n::EGGIOError);

        engine.SelectLanguage("zh_TW");
        EXPECT_EQ("提示", engine.Translate("Prompt"));
        WriteFile(catalog, whole);
        engine.SelectLanguage("de_DE");
        EXPECT_EQ("提示", engine.Translate("Prompt"));
        EXPECT_EQ(std::vector<std::string>{}, sink.shown);
    }
}

}  // namespace
