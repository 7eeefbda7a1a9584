// The window as it opens: its controls, the loading of the settings file with its write-backs, the
// server-mode controls and the tab order.

#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include "app/PortSpinEdit.h"
#include "tests/app/WindowTestSupport.h"

namespace {

using apptest::MainSection;
using apptest::WindowFixture;
using apptest::WriteBytes;

TEST(MainWindowTest, ControlsSitInTheirContainersWithTheirGeometryAndTexts) {
    WindowFixture fixture;
    app::Ttntfrm_Main& window = fixture.Show();
    EXPECT_EQ(window.objectName(), "tntfrm_Main");
    EXPECT_EQ(window.windowTitle(), "TQ-3VOVE configuration tool");
    EXPECT_EQ(window.size(), QSize(495, 305));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window.font().family(), "Tahoma");
    EXPECT_EQ(window.font().pixelSize(), 11);
    EXPECT_EQ(window.frameGeometry().center(),
              QGuiApplication::primaryScreen()->availableGeometry().center());

    const struct {
        const char* name;
        const char* parent;
        QRect geometry;
        const char* text;
    } rows[] = {
        {"tntgrp_NetWork", "tntfrm_Main", {0, 0, 495, 109}, "Network configuration"},
        {"tntcomb_ServerNetMode", "tntgrp_NetWork", {111, 17, 162, 21}, "Static IP"},
        {"rzspnedt_Port", "tntgrp_NetWork", {356, 17, 119, 21}, nullptr},
        {"tntedt_StaticIP", "tntgrp_NetWork", {111, 47, 110, 21}, nullptr},
        {"tntbtn_StaticIP", "tntgrp_NetWork", {224, 47, 49, 21}, "Obtain IP"},
        {"tntedt_DomainAddress", "tntgrp_NetWork", {356, 47, 119, 21}, ""},
        {"tntbtn_TestServerPort", "tntgrp_NetWork", {356, 77, 119, 25}, "Test server port"},
        {"tntbtn_JudgeMaping", "tntgrp_NetWork", {24, 77, 249, 25}, "Judge whether the server port mapping"},
        {"tntgrp_SMSCommandFormat", "tntfrm_Main", {0, 109, 495, 142}, "SMS command format"},
        {"tntcomb_ServiceNetwork", "tntgrp_SMSCommandFormat", {111, 17, 162, 21}, nullptr},
        {"tntedt_Other", "tntgrp_SMSCommandFormat", {356, 17, 119, 21}, ""},
        {"tntedt_DTUNumber", "tntgrp_SMSCommandFormat", {111, 47, 162, 21}, nullptr},
        {"tntcomb_SMSCommandType", "tntgrp_SMSCommandFormat", {111, 78, 162, 21}, nullptr},
        {"tntedt_SMSCommandFormat", "tntgrp_SMSCommandFormat", {111, 108, 364, 21}, ""},
        {"TntPanel1", "tntfrm_Main", {0, 251, 495, 35}, nullptr},
        {"rzMenubtn_Language", "TntPanel1", {19, 5, 90, 25}, " Language"},
        {"tntbtn_Close", "TntPanel1", {400, 5, 75, 25}, "Close"},
        {"tntbtn_GenerationSMS", "TntPanel1", {287, 5, 90, 25}, "Generation SMS"},
        {"tntbtn_SendSMS", "TntPanel1", {153, 5, 90, 25}, "Send SMS\u2026"},
        {"tntstsbr_Status", "tntfrm_Main", {0, 286, 495, 19}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QWidget* widget = fixture.Find<QWidget>(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), row.parent);
        EXPECT_EQ(widget->geometry(), row.geometry);
        if (row.text == nullptr) {
            continue;
        }
        QString text;
        if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
            text = group->title();
        } else if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            text = button->text();
        } else if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
            text = edit->text();
        } else if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
            text = combo->currentText();
        }
        EXPECT_EQ(text, QString::fromUtf8(row.text));
    }
}

TEST(MainWindowTest, LabelsAreRightAlignedToTheirBoxesRightEdge) {
    WindowFixture fixture;
    fixture.Show();
    const struct {
        const char* name;
        const char* text;
        int right;  // x of the right edge, exclusive
        int top;
    } rows[] = {
        {"tntlbl_ServerNetMode", "Server address mode", 110, 21},
        {"tntlbl_Port", "Port", 354, 22},
        {"tntlbl_StaticIP", "Static IP", 110, 51},
        {"tntlbl_DomainAddress", "Domain address", 354, 51},
        {"tntlbl_ServiceNetwork", "Service network(APN)", 110, 21},
        {"tntlbl_Ohter", "Other", 354, 21},
        {"tntlbl_DTUNumber", "DTU number", 110, 51},
        {"tntlbl1", "SMS command type", 110, 82},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QLabel* label = fixture.Find<QLabel>(row.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), row.text);
        EXPECT_EQ(label->geometry().x() + label->geometry().width(), row.right);
        EXPECT_EQ(label->geometry().y(), row.top);
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    }
}

TEST(MainWindowTest, ListsMenuAndStatusBarHoldTheirItems) {
    WindowFixture fixture;
    fixture.Show();
    const struct {
        const char* name;
        QStringList items;
    } lists[] = {
        {"tntcomb_ServerNetMode", {"Static IP", "Domain resolution"}},
        {"tntcomb_ServiceNetwork",
         {"CMNET(China Mobile)", "CMWAP(China Mobile)", "UNINET(China Unicom)", "Other"}},
        {"tntcomb_SMSCommandType", {"DTU configuration parameters", "DTU running query"}},
    };
    for (const auto& list : lists) {
        const QComboBox* combo = fixture.Find<QComboBox>(list.name);
        ASSERT_NE(combo, nullptr);
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items << combo->itemText(i);
        }
        EXPECT_EQ(items, list.items) << list.name;
        EXPECT_FALSE(combo->isEditable()) << list.name;
    }

    const QMenu* menu = fixture.Find<QMenu>("tntpmn_Language");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(fixture.Find<QToolButton>("rzMenubtn_Language")->menu(), menu);
    const char* const names[] = {"tntmntm_Automatic", "tntmntm_English", "tntmntm_SimplifiedChinese",
                                 "tntmntm_TraditionalChinese"};
    const char* const texts[] = {"Automatic", "English", "Simplified Chinese", "Traditional Chinese"};
    ASSERT_EQ(menu->actions().size(), 4);
    for (int tag = 0; tag < 4; ++tag) {
        const QAction* item = menu->actions().at(tag);
        EXPECT_EQ(item->objectName(), names[tag]);
        EXPECT_EQ(item->text(), texts[tag]);
        EXPECT_EQ(item->data().toInt(), tag);
        EXPECT_TRUE(item->isCheckable());
    }

    const QLabel* panel = fixture.Find<QLabel>("tntstsbr_Status_Panel0");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget()->objectName(), "tntstsbr_Status");
    EXPECT_EQ(panel->text(), "");
}

TEST(MainWindowTest, FirstStartWritesPortStaticIpAndDtuNumberInThatOrder) {
    WindowFixture fixture;
    fixture.Show();
    EXPECT_EQ(fixture.File(), MainSection({"Port=6000", std::string("Static IP=") + apptest::kLocalAddress,
                                           "DTU number=TQ-GP000001"}));
    EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), 0);
    EXPECT_EQ(fixture.Find<app::PortSpinEdit>("rzspnedt_Port")->text(), "6000");
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_StaticIP")->text(), apptest::kLocalAddress);
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_DomainAddress")->text(), "");
    EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_SMSCommandType")->currentIndex(), 0);
    EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_ServiceNetwork")->currentIndex(), 0);
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_Other")->text(), "");
    EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_DTUNumber")->text(), "TQ-GP000001");
    EXPECT_TRUE(fixture.messages.boxes.empty());
}

TEST(MainWindowTest, FirstStartWithoutLocalAddressLeavesStaticIpUnwritten) {
    WindowFixture fixture;
    fixture.resolver.entries.clear();
    fixture.Show();
    EXPECT_EQ(fixture.File(), MainSection({"Port=6000", "DTU number=TQ-GP000001"}));
}

TEST(MainWindowTest, StoredValuesAreShownAndOnlyChangedTextsWrittenBack) {
    const struct {
        const char* name;
        std::vector<std::string> stored;
        int mode;
        QString port;
        QString dtuNumber;
        int apn;
        std::string fileAfter;  // empty: the file as stored
    } rows[] = {
        {"all values in range",
         {"Server address mode=1", "Port=8000", "Static IP=1.2.3.4", "Domain address=host",
          "SMS command type=1", "Service network(APN)=3", "Other APN=myapn", "DTU number=TQ-GP000002"},
         1,
         "8000",
         "TQ-GP000002",
         3,
         {}},
        {"hexadecimal port",
         {"Port=0x1F40", "Static IP=", "DTU number=X"},
         0,
         "8000",
         "X",
         0,
         MainSection({"Port=8000", "Static IP=", "DTU number=X"})},
        {"mode 5 and APN 7 select nothing",
         {"Server address mode=5", "Service network(APN)=7", "Port=6000", "Static IP=1.2.3.4",
          "DTU number=X"},
         -1,
         "6000",
         "X",
         -1,
         {}},
        {"port above the range is cut at once",
         {"Port=200000", "Static IP=1.2.3.4", "DTU number=X"},
         0,
         "99999",
         "X",
         0,
         MainSection({"Port=99999", "Static IP=1.2.3.4", "DTU number=X"})},
        {"port below the range shows 1000, file keeps it",
         {"Port=500", "Static IP=1.2.3.4", "DTU number=X"},
         0,
         "1000",
         "X",
         0,
         {}},
        {"long DTU number shown whole",
         {"Port=6000", "Static IP=1.2.3.4", "DTU number=TQ-GP0000012345"},
         0,
         "6000",
         "TQ-GP0000012345",
         0,
         {}},
        {"negative port shows 1000, file keeps it",
         {"Port=-5", "Static IP=1.2.3.4", "DTU number=X"},
         0,
         "1000",
         "X",
         0,
         {}},
        {"port that is no number shows and stores the default",
         {"Port=abc", "Static IP=1.2.3.4", "DTU number=X"},
         0,
         "6000",
         "X",
         0,
         MainSection({"Port=6000", "Static IP=1.2.3.4", "DTU number=X"})},
        {"keys spelt in another case are the same keys",
         {"server ADDRESS mode=1", "port=8000", "STATIC IP=1.2.3.4", "dtu number=TQ-GP000009"},
         1,
         "8000",
         "TQ-GP000009",
         0,
         {}},
        {"blanks and quotes around values are not written back",
         {"Port = 7000 ", "Static IP=1.2.3.4", "DTU number = \"TQ-GP000003\""},
         0,
         "7000",
         "TQ-GP000003",
         0,
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string stored = MainSection(row.stored);
        WindowFixture fixture(stored, true);
        fixture.Show();
        EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), row.mode);
        EXPECT_EQ(fixture.Find<app::PortSpinEdit>("rzspnedt_Port")->text(), row.port);
        EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_DTUNumber")->text(), row.dtuNumber);
        EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_ServiceNetwork")->currentIndex(), row.apn);
        EXPECT_EQ(fixture.File(), row.fileAfter.empty() ? stored : row.fileAfter);
        EXPECT_TRUE(fixture.messages.boxes.empty());
    }
}

TEST(MainWindowTest, StartWithEveryValueStoredAlreadyLeavesTheFileUntouched) {
    const std::string stored = MainSection(
        {"Port=6000", "Static IP=1.2.3.4", "Domain address=host", "Other APN=apn", "DTU number=TQ-GP000001"});
    WindowFixture fixture(stored, true);
    struct stat before {};
    ASSERT_EQ(::stat(fixture.settingsPath.c_str(), &before), 0);
    fixture.Show();
    struct stat after {};
    ASSERT_EQ(::stat(fixture.settingsPath.c_str(), &after), 0);
    // Every write replaces the file by a new one, so an unchanged inode means no write happened.
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(fixture.File(), stored);
}

TEST(MainWindowTest, ReloadWritesBackTheFieldsWhoseShownTextItChanges) {
    const std::vector<std::string> start = {"Port=6000", "Static IP=1.2.3.4", "DTU number=TQ-GP0000012345"};
    const struct {
        const char* name;
        std::vector<std::string> stored;
        std::function<void(WindowFixture&)> between;  // after the start, before the reload
        QString port;
        QString other;
        QString dtuNumber;
        std::vector<std::string> fileAfter;
        std::size_t boxes;
    } rows[] = {
        {"a port below the range shows 1000 since the start: no change",
         {"Port=500", "Static IP=1.2.3.4", "DTU number=X"},
         [](WindowFixture&) {},
         "1000",
         "",
         "X",
         {"Port=500", "Static IP=1.2.3.4", "DTU number=X", "nLanguageID=1"},
         0},
        {"a typed port below the range is placed as 1000 and written",
         start,
         [](WindowFixture& f) {
             f.Find<app::PortSpinEdit>("rzspnedt_Port")->findChild<QLineEdit*>()->selectAll();
             QTest::keyClicks(f.Find<app::PortSpinEdit>("rzspnedt_Port"), "50");
         },
         "1000",
         "",
         "TQ-GP0000012345",
         {"Port=1000", "Static IP=1.2.3.4", "DTU number=TQ-GP0000012345", "nLanguageID=1"},
         0},
        {"a typed text whose write failed is replaced by the file's and written",
         start,
         [](WindowFixture& f) {
             std::filesystem::permissions(f.settingsPath, std::filesystem::perms::owner_read);
             QTest::keyClicks(f.Find<QLineEdit>("tntedt_Other"), "ab");
             std::filesystem::permissions(
                 f.settingsPath, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
         },
         "6000",
         "",
         "TQ-GP0000012345",
         {"Port=6000", "Static IP=1.2.3.4", "DTU number=TQ-GP0000012345", "nLanguageID=1", "Other APN="},
         1},
        {"a long DTU number comes back whole into a field the user shortened",
         start,
         [](WindowFixture& f) {
             auto* edit = f.Find<QLineEdit>("tntedt_DTUNumber");
             edit->end(false);
             QTest::keyClick(edit, Qt::Key_Backspace);
             // Another program puts the long number back.
             WriteBytes(f.settingsPath,
                        MainSection({"Port=6000", "Static IP=1.2.3.4", "DTU number=TQ-GP0000012345"}));
         },
         "6000",
         "",
         "TQ-GP0000012345",
         {"Port=6000", "Static IP=1.2.3.4", "DTU number=TQ-GP0000012345", "nLanguageID=1"},
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(MainSection(row.stored), true);
        fixture.Show();
        row.between(fixture);
        // Without a localization engine a language choice saves its number and reloads the fields.
        fixture.Find<QAction>("tntmntm_English")->trigger();
        apptest::Settle();
        EXPECT_EQ(fixture.Find<app::PortSpinEdit>("rzspnedt_Port")->text(), row.port);
        EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_Other")->text(), row.other);
        EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_DTUNumber")->text(), row.dtuNumber);
        EXPECT_EQ(fixture.File(), MainSection(row.fileAfter));
        EXPECT_EQ(fixture.messages.boxes.size(), row.boxes);
    }
}

TEST(MainWindowTest, CommandFormatLabelTakesTheWidthOfItsTextAndFont) {
    WindowFixture fixture;
    fixture.Show();
    auto* label = fixture.Find<QLabel>("tntlbl_SMSCommandFormat");
    ASSERT_NE(label, nullptr);
    const int contentsLeft = label->parentWidget()->contentsRect().left();
    const auto textWidth = [label] {
        return static_cast<int>(std::ceil(QFontMetricsF(label->font()).horizontalAdvance(label->text())));
    };
    // A text whose advance, rounded up, lies in (low, high]: some wide letters, then i's.
    const auto textOfWidth = [&](int low, int high) {
        const QFontMetricsF metrics(label->font());
        for (const char wide : {'W', 'm', 'a', 'o'}) {
            for (int wides = 0; wides < 15; ++wides) {
                for (int is = 0; is < 60; ++is) {
                    const QString text = QString(wides, QLatin1Char(wide)) + QString(is, QLatin1Char('i'));
                    const double width = std::ceil(metrics.horizontalAdvance(text));
                    if (width > low && width <= high) {
                        return text;
                    }
                }
            }
        }
        ADD_FAILURE() << "no text of a width in (" << low << ", " << high << "]";
        return QString();
    };
    const struct {
        const char* name;
        std::function<void(QLabel*)> change;
        std::function<int()> right;  // x of the right edge, exclusive
    } rows[] = {
        {"a shorter text", [](QLabel* l) { l->setProperty("text", QStringLiteral("SMS")); },
         [] { return 108; }},
        {"a text that fits up to the placed edge",
         [&](QLabel* l) { l->setProperty("text", textOfWidth(100 - contentsLeft, 108 - contentsLeft)); },
         [] { return 108; }},
        {"a text up to two pixels wider moves the edge right as far",
         [&](QLabel* l) { l->setProperty("text", textOfWidth(108 - contentsLeft, 110 - contentsLeft)); },
         [&] { return contentsLeft + textWidth(); }},
        {"a text wider than the room up to the edit line",
         [](QLabel* l) { l->setProperty("text", QStringLiteral("A very long caption that cannot fit")); },
         [] { return 110; }},
        {"a larger font",
         [](QLabel* l) {
             QFont font = l->font();
             font.setPixelSize(16);
             l->setFont(font);
         },
         [] { return 110; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.change(label);
        const int right = row.right();
        EXPECT_GE(right, 108);
        EXPECT_LE(right, 110);
        EXPECT_EQ(label->geometry().right() + 1, right);
        EXPECT_EQ(label->width(), std::min(textWidth(), right));
        EXPECT_EQ(label->geometry().top(), 112);
    }
}

TEST(MainWindowTest, ServerModeEnablesItsControls) {
    const char* const staticControls[] = {"tntlbl_StaticIP", "tntedt_StaticIP", "tntbtn_StaticIP"};
    const char* const domainControls[] = {"tntlbl_DomainAddress", "tntedt_DomainAddress"};
    const struct {
        const char* name;
        std::vector<std::string> stored;
        int pick;  // -1: no pick
        bool staticEnabled;
        bool domainEnabled;
    } rows[] = {
        {"stored static IP", {"Server address mode=0"}, -1, true, false},
        {"stored domain", {"Server address mode=1"}, -1, false, true},
        {"stored 2: all enabled", {"Server address mode=2"}, -1, true, true},
        {"picked domain", {"Server address mode=0"}, 1, false, true},
        {"picked static IP", {"Server address mode=1"}, 0, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(MainSection(row.stored), true);
        fixture.Show();
        if (row.pick >= 0) {
            apptest::PickItem(fixture.Find<QComboBox>("tntcomb_ServerNetMode"), row.pick);
        }
        for (const char* name : staticControls) {
            EXPECT_EQ(fixture.Find<QWidget>(name)->isEnabled(), row.staticEnabled) << name;
        }
        for (const char* name : domainControls) {
            EXPECT_EQ(fixture.Find<QWidget>(name)->isEnabled(), row.domainEnabled) << name;
        }
        for (const char* name : {"rzspnedt_Port", "tntbtn_TestServerPort", "tntbtn_JudgeMaping",
                                 "tntedt_Other", "tntcomb_SMSCommandType", "tntedt_SMSCommandFormat"}) {
            EXPECT_TRUE(fixture.Find<QWidget>(name)->isEnabled()) << name;
        }
    }
}

TEST(MainWindowTest, TabOrderRunsThroughTheControlsSkippingDisabledOnes) {
    WindowFixture fixture(MainSection({"Server address mode=0"}), true);
    app::Ttntfrm_Main& window = fixture.Show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    fixture.Find<QWidget>("tntcomb_ServerNetMode")->setFocus();
    QStringList visited;
    for (int i = 0; i < 16; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        // The port field's focus sits on its inner line edit.
        visited << (qobject_cast<QAbstractSpinBox*>(focus->parentWidget()) ? focus->parentWidget() : focus)
                       ->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    const QStringList expected = {
        "tntcomb_ServerNetMode", "rzspnedt_Port",          "tntedt_StaticIP",         "tntbtn_StaticIP",
        "tntbtn_TestServerPort", "tntbtn_JudgeMaping",     "tntcomb_ServiceNetwork",  "tntedt_Other",
        "tntedt_DTUNumber",      "tntcomb_SMSCommandType", "tntedt_SMSCommandFormat", "rzMenubtn_Language",
        "tntbtn_Close",          "tntbtn_GenerationSMS",   "tntbtn_SendSMS",          "tntcomb_ServerNetMode",
    };
    EXPECT_EQ(visited, expected);
}

}  // namespace
