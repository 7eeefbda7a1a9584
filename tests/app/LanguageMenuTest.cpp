// The language menu on the real main window: switching languages, Automatic, the same language twice,
// a failed write of the language number, and the language at start-up.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/PortSpinEdit.h"
#include "i18n/qt/BuiltInTextTranslator.h"
#include "tests/app/LanguageTestSupport.h"
#include "tests/net/LoopbackPeers.h"

namespace apptest {
namespace {

// What a language shows for a few texts, written out here so that a replay that started from an
// earlier translation, or a lookup in the wrong catalog, cannot pass by agreeing with the engine.
struct KnownTexts {
    int number;
    const char* language;
    const char* automatic;
    const char* simplified;
    const char* staticIp;
};

const KnownTexts kKnown[] = {
    {1, " Language", "Automatic", "Simplified Chinese", "Static IP"},
    {2, "语言", "自动", "简体中文", "固定IP"},
    {3, "語言", "自動", "簡體中文", "固定IP"},
};

const KnownTexts& Known(int number) {
    for (const KnownTexts& known : kKnown) {
        if (known.number == number) {
            return known;
        }
    }
    return kKnown[0];
}

void ExpectLanguage(LanguageFixture& f, int number, const std::string& step) {
    SCOPED_TRACE(step);
    const KnownTexts& known = Known(number);
    EXPECT_EQ(f.Shown("rzMenubtn_Language"), QString::fromUtf8(known.language));
    EXPECT_EQ(f.Shown("tntmntm_Automatic"), QString::fromUtf8(known.automatic));
    EXPECT_EQ(f.Shown("tntmntm_SimplifiedChinese"), QString::fromUtf8(known.simplified));
    EXPECT_EQ(f.Shown("tntlbl_StaticIP"), QString::fromUtf8(known.staticIp));
    for (const WindowText& text : kWindowTexts) {
        const QString expected = EngineText(text.english);
        EXPECT_EQ(f.Shown(text.object), expected) << text.object;
        // Every window text has an entry in both Chinese catalogs.
        if (number >= 2) {
            EXPECT_NE(expected, QString::fromUtf8(text.english)) << text.object;
        }
    }
    // The command-format label takes the width of its translated text, right-aligned at 108, or
    // further right (up to 110) where the text would otherwise reach over the group box's frame.
    const auto* format = f.fixture.Find<QLabel>("tntlbl_SMSCommandFormat");
    const int textWidth =
        static_cast<int>(std::ceil(QFontMetricsF(format->font()).horizontalAdvance(format->text())));
    const int contentsLeft = format->parentWidget()->contentsRect().left();
    EXPECT_EQ(format->geometry().right() + 1, std::clamp(contentsLeft + textWidth, 108, 110));
    EXPECT_EQ(format->width(), std::min(textWidth, format->geometry().right() + 1));
    for (const ListItems& list : kListItems) {
        auto* combo = f.fixture.Find<QComboBox>(list.list);
        ASSERT_EQ(combo->count(), static_cast<int>(list.english.size())) << list.list;
        for (int i = 0; i < combo->count(); ++i) {
            EXPECT_EQ(combo->itemText(i), EngineText(list.english[static_cast<std::size_t>(i)]))
                << list.list << " item " << i;
        }
    }
}

TEST(LanguageMenuTest, EachSwitchShowsEveryTextInTheChosenLanguageAndReloadsTheFields) {
    LanguageFixture f(MainSection({"nLanguageID=1", "Server address mode=1", "Port=7001",
                                   "SMS command type=1", "Service network(APN)=2", "DTU number=TQ-7"}),
                      true);
    f.locale.lang = "en";
    f.Show();
    ExpectLanguage(f, 1, "start-up");

    // A status message written by the program belongs to the moment it was written.
    auto* status = f.fixture.Find<QLabel>("tntstsbr_Status_Panel0");
    status->setText(QStringLiteral("Connecting to the server..."));

    struct Step {
        int number;
        const char* typedOther;
    };
    const Step steps[] = {{2, "apn-a"}, {1, "apn-b"}, {3, "apn-c"}, {2, "apn-d"}};
    for (const Step& step : steps) {
        const std::string name = "switch to " + std::to_string(step.number);
        SCOPED_TRACE(name);
        QTest::keyClicks(f.fixture.Find<QLineEdit>("tntedt_Other"), QString::fromUtf8(step.typedOther));
        const QString other = f.fixture.Find<QLineEdit>("tntedt_Other")->text();

        f.Choose(step.number);

        ExpectLanguage(f, step.number, name);
        const std::string mark = std::string(4, '0').replace(static_cast<std::size_t>(step.number), 1, "1");
        EXPECT_EQ(f.Marks(), mark);
        // The menu marks the number in force when it opens, and clears no mark.
        f.OpenMenu();
        EXPECT_EQ(f.Marks(), mark);
        EXPECT_NE(f.fixture.File().find("nLanguageID=" + std::to_string(step.number) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(f.fixture.Find<QLineEdit>("tntedt_Other")->text(), other);
        EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), 1);
        EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_SMSCommandType")->currentIndex(), 1);
        EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServiceNetwork")->currentIndex(), 2);
        EXPECT_EQ(f.fixture.Find<QLineEdit>("tntedt_DTUNumber")->text(), QStringLiteral("TQ-7"));
        EXPECT_EQ(status->text(), QStringLiteral("Connecting to the server..."));
        EXPECT_TRUE(f.fixture.messages.boxes.empty());
    }
}

TEST(LanguageMenuTest, AutomaticSavesTheUserLanguageAndShowsTheDetectedOne) {
    struct Row {
        const char* name;
        unsigned userLangId;
        const char* userLanguage;
        const char* userCountry;
        const char* lang;
        int shownLanguage;  // by the numbers of kKnown
        const char* marksAfterClick;
        int savedNumber;
        int shownAtNextStart;  // once the system has turned Traditional Chinese
    };
    const Row rows[] = {
        {"PRC", 2052, "zh", "CN", "", 2, "0010", 2, 2},
        {"German", 1031, "de", "DE", "", 1, "0000", 0, 3},
        {"US English with LANG zh_TW", 1033, "en", "US", "zh_TW", 3, "0100", 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LanguageFixture f(MainSection({"nLanguageID=3", "Service network(APN)=1"}), true);
        f.locale.userLangId = row.userLangId;
        f.locale.language = row.userLanguage;
        f.locale.country = row.userCountry;
        f.locale.lang = row.lang;
        f.Show();
        ExpectLanguage(f, 3, "start-up");

        f.Choose(0);

        ExpectLanguage(f, row.shownLanguage, "after Automatic");
        EXPECT_EQ(f.Marks(), row.marksAfterClick);
        EXPECT_NE(f.fixture.File().find("nLanguageID=" + std::to_string(row.savedNumber) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServiceNetwork")->currentIndex(), 1);

        // Opening the menu marks the number in force: the saved one.
        f.OpenMenu();
        const std::string savedMark =
            std::string(4, '0').replace(static_cast<std::size_t>(row.savedNumber), 1, "1");
        EXPECT_EQ(f.Marks(), row.savedNumber == 0 ? "1000" : savedMark);

        // The system's language changes before the next start; the saved number decides.
        f.locale.lang = "";
        f.locale.userLangId = 1028;
        f.locale.language = "zh";
        f.locale.country = "TW";
        f.Restart();
        ExpectLanguage(f, row.shownAtNextStart, "next start");
        EXPECT_EQ(f.Marks(), "0000");
    }
}

TEST(LanguageMenuTest, ChoosingTheLanguageInForceRewritesNoTextButReloadsTheFields) {
    LanguageFixture f(MainSection({"nLanguageID=1"}), true);
    f.locale.lang = "en";
    f.Show();
    f.Choose(2);
    ExpectLanguage(f, 2, "first choice");

    auto* port = f.fixture.Find<QLabel>("tntlbl_Port");
    port->setText(QStringLiteral("changed by hand"));
    // Another program changed the file meanwhile; the reload shows it.
    WriteBytes(f.fixture.settingsPath, MainSection({"nLanguageID=2", "DTU number=TQ-OTHER"}));

    f.Choose(2);

    EXPECT_EQ(port->text(), QStringLiteral("changed by hand"));
    EXPECT_EQ(f.Shown("rzMenubtn_Language"), QStringLiteral("语言"));
    EXPECT_EQ(f.Marks(), "0010");
    EXPECT_EQ(f.fixture.Find<QLineEdit>("tntedt_DTUNumber")->text(), QStringLiteral("TQ-OTHER"));
    EXPECT_NE(f.fixture.File().find("nLanguageID=2\r\n"), std::string::npos);
}

TEST(LanguageMenuTest, FailedLanguageWriteKeepsTheNewLanguageAndSkipsTheReload) {
    LanguageFixture f(MainSection({"nLanguageID=1", "Server address mode=1", "SMS command type=1"}), true);
    f.locale.lang = "en";
    f.Show();
    ASSERT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), 1);
    // A file that nobody may write is refused to root as well.
    std::filesystem::permissions(f.fixture.settingsPath, std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::group_read |
                                                             std::filesystem::perms::others_read);
    const std::string before = f.fixture.File();

    f.Choose(3);
    Settle();

    ExpectLanguage(f, 3, "after the failed write");
    EXPECT_EQ(f.Marks(), "0001");
    // The number in force, which the menu marks when it opens, is the new one.
    f.OpenMenu();
    EXPECT_EQ(f.Marks(), "0001");
    ASSERT_EQ(f.fixture.messages.boxes.size(), 1u);
    const RecordedBox& box = f.fixture.messages.boxes[0];
    EXPECT_TRUE(box.error);
    EXPECT_EQ(box.caption, QStringLiteral("TQ-3VOVE SMS configuration tool"));
    // The runtime's text has no catalog entry and keeps its English wording.
    EXPECT_EQ(box.text, QString::fromStdString("Unable to write to " + f.fixture.settingsPath + "."));
    // The replay emptied the lists and nothing was read back.
    EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), -1);
    EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_SMSCommandType")->currentIndex(), -1);
    EXPECT_EQ(f.fixture.File(), before);
    EXPECT_NE(before.find("nLanguageID=1\r\n"), std::string::npos);
}

TEST(LanguageMenuTest, StartUpAppliesTheSavedLanguageNumber) {
    struct Row {
        const char* name;
        const char* fileLine;
        const char* lang;
        int shown;
        const char* marksAtFirstOpening;
    };
    const Row rows[] = {
        {"Traditional Chinese", "nLanguageID=3", "zh_CN", 3, "0001"},
        {"English", "nLanguageID=1", "zh_TW", 1, "0100"},
        {"missing key: automatic", "Port=7000", "zh_TW.UTF-8", 3, "1000"},
        {"number out of range: automatic, no mark", "nLanguageID=9", "zh_CN", 2, "0000"},
        {"negative number: automatic, no mark", "nLanguageID=-1", "en_US", 1, "0000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LanguageFixture f(MainSection({row.fileLine}), true);
        f.locale.lang = row.lang;
        f.Show();
        ExpectLanguage(f, row.shown, "start-up");
        EXPECT_EQ(f.Marks(), "0000");
        f.OpenMenu();
        EXPECT_EQ(f.Marks(), row.marksAtFirstOpening);
        EXPECT_TRUE(f.fixture.messages.boxes.empty());
    }
}

TEST(LanguageMenuTest, UnreadableCatalogFileStillLetsTheStoredFieldsIntoTheWindow) {
    struct Row {
        const char* name;
        const char* languageLine;
    };
    const Row rows[] = {
        {"automatic language served by the broken file", "nLanguageID=0"},
        {"English saved, the first pass in the automatic language fails", "nLanguageID=1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LanguageFixture f(MainSection({row.languageLine, "Server address mode=1", "Port=7000",
                                       "Domain address=dtu.example", "DTU number=TQ-GP000042"}),
                          true);
        f.locale.lang = "de_DE";
        f.programFile = f.fixture.dir.File("dtusms");
        const std::filesystem::path catalog = f.fixture.dir.File("locale/de/LC_MESSAGES/default.mo");
        std::filesystem::create_directories(catalog.parent_path());
        WriteBytes(catalog.string(), std::string("\xde\x12\x04", 3));
        const std::string before = f.fixture.File();
        f.Show();
        EXPECT_EQ(f.fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), 1);
        EXPECT_EQ(f.fixture.Find<app::PortSpinEdit>("rzspnedt_Port")->text(), "7000");
        EXPECT_EQ(f.fixture.Find<QLineEdit>("tntedt_DomainAddress")->text(), "dtu.example");
        EXPECT_EQ(f.fixture.Find<QLineEdit>("tntedt_DTUNumber")->text(), "TQ-GP000042");
        EXPECT_FALSE(f.fixture.Find<QLineEdit>("tntedt_StaticIP")->isEnabled());
        ASSERT_FALSE(f.fixture.messages.boxes.empty());
        EXPECT_TRUE(f.fixture.messages.boxes[0].error);
        EXPECT_NE(f.fixture.messages.boxes[0].text.indexOf("not a valid GNU gettext mo file"), -1)
            << f.fixture.messages.boxes[0].text.toStdString();
        EXPECT_EQ(f.fixture.File().substr(0, before.size()), before);
    }
}

TEST(LanguageMenuTest, PopupAddsTheMarkOfTheNumberInForceAndClearsNone) {
    LanguageFixture f(MainSection({"nLanguageID=1"}), true);
    f.locale.lang = "en";
    f.Show();
    f.Choose(3);
    EXPECT_EQ(f.Marks(), "0001");
    // The number changes behind the menu's back (a reload of an edited file).
    WriteBytes(f.fixture.settingsPath, MainSection({"nLanguageID=2"}));
    f.Window().LoadSettings();
    f.OpenMenu();
    EXPECT_EQ(f.Marks(), "0011");
}

TEST(LanguageMenuTest, ChecksTakeThePromptCaptionInTheLanguageOfTheClick) {
    nettest::Listener listener;
    struct Row {
        const char* name;
        const char* button;
        int mode;
        int languageAtTheClick;
        int languageChosenDuringTheCheck;
        const char* caption;
    };
    const Row rows[] = {
        {"port test, English then Chinese", "tntbtn_TestServerPort", 0, 1, 2, "Prompt"},
        {"port test, Chinese then English", "tntbtn_TestServerPort", 0, 2, 1, "提示"},
        {"mapping judgement of a domain", "tntbtn_JudgeMaping", 1, 3, 1, "提示"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string port = std::to_string(listener.port());
        LanguageFixture f(MainSection({"nLanguageID=" + std::to_string(row.languageAtTheClick),
                                       "Server address mode=" + std::to_string(row.mode), "Port=" + port,
                                       "Static IP=127.0.0.1", "Domain address=127.0.0.1", "DTU number=X"}),
                          true);
        f.locale.lang = "en";
        f.Show();
        // The user picks another language while the check runs.
        QTimer::singleShot(0, [&] { f.Choose(row.languageChosenDuringTheCheck); });
        ClickAndWait(f.Window(), f.fixture.Find<QPushButton>(row.button));
        ExpectLanguage(f, row.languageChosenDuringTheCheck, "after the check");
        ASSERT_EQ(f.fixture.messages.boxes.size(), 1u);
        EXPECT_EQ(f.fixture.messages.boxes[0].caption, QString::fromUtf8(row.caption));
    }
}

// Qt's own texts (a message box's button, an edit line's context menu) follow the language menu,
// from Qt's translations, as the program installs its translator at start-up.
TEST(LanguageMenuTest, QtsOwnTextsFollowTheLanguageMenu) {
    LanguageFixture f(MainSection({"nLanguageID=1"}), true);
    f.locale.lang = "en";
    f.Show();
    auto* translator = i18n::qt::InstallBuiltInTextTranslator();
    struct Row {
        int language;
        const char* ok;
        const char* selectAll;
    };
    const Row rows[] = {
        {2, "确定", "全选"}, {3, "確定", "全部選擇"}, {1, "OK", "Select All"}, {2, "确定", "全选"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.language);
        f.Choose(row.language);
        QMessageBox box(QMessageBox::Information, QStringLiteral("Prompt"), QStringLiteral("text"),
                        QMessageBox::Ok, &f.Window());
        EXPECT_EQ(box.button(QMessageBox::Ok)->text().toStdString(), row.ok);

        QLineEdit field;
        const std::unique_ptr<QMenu> contextMenu(field.createStandardContextMenu());
        QStringList entries;
        for (const QAction* action : contextMenu->actions()) {
            entries << action->text().remove(QLatin1Char('&'));
        }
        EXPECT_EQ(entries.filter(QString::fromUtf8(row.selectAll)).size(), 1)
            << entries.join(QLatin1Char('|')).toStdString();
    }
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

}  // namespace
}  // namespace apptest
