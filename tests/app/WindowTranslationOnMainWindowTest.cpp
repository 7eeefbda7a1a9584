// The first translation pass over the real main window: what it records, and that it runs in the
// automatic language before the saved one is applied.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "i18n/WindowTranslation.h"
#include "i18n/qt/QtObjectAccess.h"
#include "tests/app/LanguageTestSupport.h"

namespace apptest {
namespace {

using Recorded = std::pair<std::string, std::string>;  // property name, English text

std::vector<Recorded> ExpectedRecords() {
    std::vector<Recorded> expected;
    for (const WindowText& text : kWindowTexts) {
        expected.emplace_back("Caption", text.english);
    }
    for (const ListItems& list : kListItems) {
        std::string block;
        for (const char* item : list.english) {
            block += std::string(item) + "\r\n";
        }
        expected.emplace_back("Text", block);
    }
    // The one drop-down list that shows a selection when the window is built.
    expected.emplace_back("Text", "DTU configuration parameters");
    std::sort(expected.begin(), expected.end());
    return expected;
}

TEST(WindowTranslationOnMainWindowTest, FirstPassRecordsExactlyTheWindowTexts) {
    LanguageFixture f;
    f.locale.lang = "en";
    f.StartEngine();
    f.fixture.window = std::make_unique<app::Ttntfrm_Main>(f.fixture.messages, f.fixture.settingsPath,
                                                           nullptr, f.fixture.resolver);

    i18n::TGnuGettextComponentMarker* marker = i18n::FindMarker(i18n::qt::WrapObject(f.fixture.window.get()));
    ASSERT_NE(marker, nullptr);
    std::vector<Recorded> texts;
    int fonts = 0;
    for (const i18n::TTP_RetranslatorItem& entry : marker->Retranslation->Entries) {
        // Every font face is recorded and looked up; the catalogs leave "Tahoma" as it is.
        if (entry.PropertyName == "Name") {
            EXPECT_EQ(entry.UntranslatedText, "Tahoma");
            ++fonts;
        } else {
            texts.emplace_back(entry.PropertyName, entry.UntranslatedText);
        }
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, ExpectedRecords());
    EXPECT_EQ(texts.size(), 27u);
    EXPECT_GT(fonts, 0);
    EXPECT_EQ(f.fixture.window->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(marker->LanguageOfLastPass, "en");
}

TEST(WindowTranslationOnMainWindowTest, FirstPassShowsTheAutomaticLanguageUntilTheWindowIsShown) {
    LanguageFixture f(MainSection({"nLanguageID=1", "Server address mode=1"}), true);
    f.locale.lang = "zh_TW.UTF-8";
    f.StartEngine();
    f.fixture.window = std::make_unique<app::Ttntfrm_Main>(f.fixture.messages, f.fixture.settingsPath,
                                                           nullptr, f.fixture.resolver);
    EXPECT_EQ(f.Shown("rzMenubtn_Language"), QStringLiteral("語言"));
    EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->itemText(1), QStringLiteral("域名解析"));

    f.fixture.window->show();

    EXPECT_EQ(f.Shown("rzMenubtn_Language"), QStringLiteral(" Language"));
    EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->itemText(1),
              QStringLiteral("Domain resolution"));
    EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), 1);
}

TEST(WindowTranslationOnMainWindowTest, EngineMessagesReachTheWindowsBoxesWithoutOwner) {
    LanguageFixture f;
    f.locale.lang = "en";
    app::Ttntfrm_Main& window = f.Show();
    i18n::DefaultInstance().SelectLanguage("zh_cn");
    i18n::qt::TranslateComponent(&window);
    ASSERT_EQ(f.fixture.messages.boxes.size(), 1u);
    EXPECT_EQ(f.fixture.messages.boxes[0].owner, nullptr);
    EXPECT_EQ(f.fixture.messages.boxes[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(f.fixture.messages.boxes[0].text, QString::fromUtf8(i18n::kSecondTranslateMessage));
    // The window was not walked again.
    EXPECT_EQ(f.Shown("rzMenubtn_Language"), QStringLiteral(" Language"));
}

TEST(WindowTranslationOnMainWindowTest, WithoutAnEngineTheWindowKeepsItsEnglishTexts) {
    WindowFixture f(MainSection({"nLanguageID=2"}), true);
    app::Ttntfrm_Main& window = f.Show();
    EXPECT_EQ(ShownText(window, "rzMenubtn_Language"), QStringLiteral(" Language"));
    EXPECT_EQ(i18n::FindMarker(i18n::qt::WrapObject(&window)), nullptr);
    f.window->findChild<QAction*>(QStringLiteral("tntmntm_TraditionalChinese"))->trigger();
    EXPECT_EQ(ShownText(window, "tntmntm_TraditionalChinese"), QStringLiteral("Traditional Chinese"));
    EXPECT_NE(f.File().find("nLanguageID=3\r\n"), std::string::npos);
    EXPECT_TRUE(f.messages.boxes.empty());
}

}  // namespace
}  // namespace apptest
