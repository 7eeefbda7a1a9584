// The change handlers of the fields, the "Generation SMS" button and the error box of a failed write.

#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "app/KeyboardLimitedEdit.h"
#include "app/PortSpinEdit.h"
#include "tests/app/WindowTestSupport.h"

namespace {

using apptest::MainSection;
using apptest::ReadBytes;
using apptest::WindowFixture;
using apptest::WriteBytes;

// The bytes of the settings file; empty where there is none (or a folder stands in its place).
std::string FileBytes(const std::string& path) {
    return std::filesystem::is_regular_file(path) ? ReadBytes(path) : std::string();
}

const std::string kStart = MainSection({"Port=6000", "Static IP=1.2.3.4", "DTU number=TQ-GP000001"});

TEST(WindowHandlersTest, EveryKeystrokeAndPickIsStoredAtOnce) {
    WindowFixture fixture(kStart, true);
    fixture.Show();
    apptest::PickItem(fixture.Find<QComboBox>("tntcomb_ServerNetMode"), 1);
    auto* domain = fixture.Find<QLineEdit>("tntedt_DomainAddress");
    std::vector<std::string> files;
    for (const char* key : {"h", "o", "s", "t"}) {
        QTest::keyClicks(domain, key);
        files.push_back(fixture.File());
    }
    EXPECT_EQ(files.front(), kStart + "Server address mode=1\r\nDomain address=h\r\n");
    EXPECT_EQ(files[2], kStart + "Server address mode=1\r\nDomain address=hos\r\n");

    apptest::PickItem(fixture.Find<QComboBox>("tntcomb_ServiceNetwork"), 3);
    QTest::keyClicks(fixture.Find<QLineEdit>("tntedt_Other"), " my apn ");
    apptest::PickItem(fixture.Find<QComboBox>("tntcomb_SMSCommandType"), 1);
    auto* staticIp = fixture.Find<QLineEdit>("tntedt_StaticIP");
    apptest::PickItem(fixture.Find<QComboBox>("tntcomb_ServerNetMode"), 0);
    staticIp->selectAll();
    QTest::keyClick(staticIp, Qt::Key_Delete);
    EXPECT_EQ(fixture.File(),
              MainSection({"Port=6000", "Static IP=", "DTU number=TQ-GP000001", "Server address mode=0",
                           "Domain address=host", "Service network(APN)=3", "Other APN= my apn ",
                           "SMS command type=1"}));
    EXPECT_TRUE(fixture.messages.boxes.empty());
}

TEST(WindowHandlersTest, DtuNumberTakesElevenCharactersFromTheKeyboardOnly) {
    const struct {
        const char* name;
        const char* stored;
        std::function<void(QLineEdit*)> edit;
        QString shown;
    } rows[] = {
        {"a twelfth typed character is refused", "",
         [](QLineEdit* edit) { QTest::keyClicks(edit, "TQ-GP0000012"); }, "TQ-GP000001"},
        {"pasting keeps the first characters that fit", "TQ-GP",
         [](QLineEdit* edit) {
             QApplication::clipboard()->setText("0000012345");
             edit->end(false);
             edit->paste();
         },
         "TQ-GP000001"},
        {"a longer stored number can be shortened", "TQ-GP0000012345",
         [](QLineEdit* edit) {
             edit->end(false);
             QTest::keyClick(edit, Qt::Key_Backspace);
         },
         "TQ-GP000001234"},
        {"but not lengthened", "TQ-GP0000012345",
         [](QLineEdit* edit) {
             edit->end(false);
             QTest::keyClicks(edit, "6");
         },
         "TQ-GP0000012345"},
        {"shortened below the limit it takes characters up to the limit again", "TQ-GP0000012345",
         [](QLineEdit* edit) {
             edit->selectAll();
             QTest::keyClicks(edit, "ABCDEFGHIJKLM");
         },
         "ABCDEFGHIJK"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(
            MainSection({"Port=6000", "Static IP=1.2.3.4", std::string("DTU number=") + row.stored}), true);
        fixture.Show();
        auto* edit = fixture.Find<app::KeyboardLimitedEdit>("tntedt_DTUNumber");
        ASSERT_NE(edit, nullptr);
        row.edit(edit);
        EXPECT_EQ(edit->text(), row.shown);
        EXPECT_NE(fixture.File().find("DTU number=" + row.shown.toStdString() + "\r\n"), std::string::npos);
    }
}

TEST(WindowHandlersTest, DtuFieldShowsAPlacedTextWholeWithOneChangeAndKeepsItsLimit) {
    apptest::Application();
    app::KeyboardLimitedEdit edit(11);
    const struct {
        const char* name;
        QString placed;
        QString typed;
        QString shownAfterTyping;
    } rows[] = {
        {"longer than the limit", "TQ-GP0000012345", "6", "TQ-GP0000012345"},
        {"short after a long one", "TQ", "-GP0000012", "TQ-GP000001"},
        {"as long as the limit", "TQ-GP000009", "2", "TQ-GP000009"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QSignalSpy changes(&edit, &QLineEdit::textChanged);
        edit.ShowWhole(row.placed);
        ASSERT_EQ(changes.size(), 1);
        EXPECT_EQ(changes.front().front().toString(), row.placed);
        edit.end(false);
        QTest::keyClicks(&edit, row.typed);
        EXPECT_EQ(edit.text(), row.shownAfterTyping);
    }
}

TEST(WindowHandlersTest, GenerationSmsShowsTheCommandOrTheFirstMissingField) {
    const struct {
        const char* name;
        std::vector<std::string> stored;
        QString command;
        QString prompt;  // empty: no prompt
    } rows[] = {
        {"static IP command",
         {"Port=6000", "Static IP=192.168.1.100", "DTU number=TQ-GP000001"},
         "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)",
         ""},
        {"domain command with other APN",
         {"Server address mode=1", "Port=8000", "Domain address= myserver ", "Service network(APN)=3",
          "Other APN=myapn", "DTU number=TQ-GP000002"},
         "(A55A#2*myserver*8000#3*myapn#4*TQ-GP000002)",
         ""},
        {"running query", {"SMS command type=1", "Static IP=", "DTU number="}, "(A55A#s)", ""},
        {"blank static IP", {"Static IP=   ", "DTU number="}, "", "Please enter valid \"Static IP\""},
        {"blank other APN",
         {"Service network(APN)=3", "Static IP=1.2.3.4"},
         "",
         "Please enter valid \"Service network(APN)\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture(MainSection(row.stored), true);
        app::Ttntfrm_Main& window = fixture.Show();
        auto* line = fixture.Find<QLineEdit>("tntedt_SMSCommandFormat");
        line->setText("old");
        const std::string fileBefore = fixture.File();
        QTest::mouseClick(fixture.Find<QPushButton>("tntbtn_GenerationSMS"), Qt::LeftButton);
        EXPECT_EQ(line->text(), row.command);
        EXPECT_EQ(fixture.File(), fileBefore);
        if (row.prompt.isEmpty()) {
            EXPECT_TRUE(fixture.messages.boxes.empty());
        } else {
            ASSERT_EQ(fixture.messages.boxes.size(), 1u);
            EXPECT_FALSE(fixture.messages.boxes[0].error);
            EXPECT_EQ(fixture.messages.boxes[0].owner, &window);
            EXPECT_EQ(fixture.messages.boxes[0].caption, "Prompt");
            EXPECT_EQ(fixture.messages.boxes[0].text, row.prompt);
        }
    }
}

TEST(WindowHandlersTest, RefusedWriteBacksAtTheStartPlaceEveryFieldAndShowOneBox) {
    const struct {
        const char* name;
        std::function<std::string(WindowFixture&)> settingsPath;
        int apn;
    } rows[] = {
        {"missing folder", [](WindowFixture& f) { return f.dir.File("missing-folder/GPRSInfo.ini"); }, 0},
        {"read-only file",
         [](WindowFixture& f) {
             WriteBytes(f.settingsPath, MainSection({"Service network(APN)=2"}));
             std::filesystem::permissions(f.settingsPath, std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::group_read |
                                                              std::filesystem::perms::others_read);
             return f.settingsPath;
         },
         2},
        {"folder in place of the file",
         [](WindowFixture& f) {
             std::filesystem::create_directory(f.settingsPath);
             return f.settingsPath;
         },
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture fixture;
        const std::string path = row.settingsPath(fixture);
        const std::string before = FileBytes(path);
        app::Ttntfrm_Main& window = fixture.Show(path);

        // Port, Static IP and DTU number are each tried; the first refusal is shown, once.
        ASSERT_EQ(fixture.messages.boxes.size(), 1u);
        EXPECT_TRUE(fixture.messages.boxes[0].error);
        EXPECT_EQ(fixture.messages.boxes[0].caption, "TQ-3VOVE SMS configuration tool");
        EXPECT_EQ(fixture.messages.boxes[0].text, QString::fromStdString("Unable to write to " + path + "."));
        EXPECT_EQ(fixture.messages.boxes[0].owner, &window);
        EXPECT_EQ(fixture.Find<app::PortSpinEdit>("rzspnedt_Port")->text(), "6000");
        EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_StaticIP")->text(), apptest::kLocalAddress);
        EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_SMSCommandType")->currentIndex(), 0);
        EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_ServiceNetwork")->currentIndex(), row.apn);
        EXPECT_EQ(fixture.Find<QLineEdit>("tntedt_DTUNumber")->text(), "TQ-GP000001");
        EXPECT_EQ(FileBytes(path), before);
    }
}

TEST(WindowHandlersTest, RefusedWritesShowOneBoxKeepEveryKeyAndWarnInTheStatusBar) {
    WindowFixture fixture;
    const std::string folder = fixture.dir.File("missing-folder");
    const std::string unwritable = folder + "/GPRSInfo.ini";
    fixture.Show(unwritable);
    const QString expected = QString::fromStdString("Unable to write to " + unwritable + ".");
    auto* status = fixture.Find<QLabel>("tntstsbr_Status_Panel0");
    ASSERT_EQ(fixture.messages.boxes.size(), 1u);
    EXPECT_EQ(fixture.messages.boxes[0].text, expected);
    EXPECT_EQ(status->text(), expected);

    // Each keystroke fails on its own; the same failure brings no second box, and no key is lost.
    auto* other = fixture.Find<QLineEdit>("tntedt_Other");
    QTest::keyClicks(other, "0123");
    apptest::Settle();
    EXPECT_EQ(other->text(), "0123");
    EXPECT_EQ(fixture.messages.boxes.size(), 1u);
    EXPECT_EQ(status->text(), expected);

    // A failed pick of the server mode leaves the server-mode controls as they were.
    apptest::PickItem(fixture.Find<QComboBox>("tntcomb_ServerNetMode"), 1);
    EXPECT_EQ(fixture.Find<QComboBox>("tntcomb_ServerNetMode")->currentIndex(), 1);
    EXPECT_TRUE(fixture.Find<QLineEdit>("tntedt_StaticIP")->isEnabled());
    EXPECT_FALSE(fixture.Find<QLineEdit>("tntedt_DomainAddress")->isEnabled());

    // The cut of the sixth digit still happens while the writes fail.
    auto* port = fixture.Find<app::PortSpinEdit>("rzspnedt_Port");
    port->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(port, "123456");
    apptest::Settle();
    EXPECT_EQ(port->text(), "99999");
    EXPECT_EQ(fixture.messages.boxes.size(), 1u);

    // Once the file can be written the warning goes, and the next failure is news again.
    std::filesystem::create_directory(folder);
    QTest::keyClicks(other, "4");
    EXPECT_EQ(status->text(), "");
    EXPECT_NE(FileBytes(unwritable).find("Other APN=01234\r\n"), std::string::npos);
    std::filesystem::remove_all(folder);
    QTest::keyClicks(other, "5");
    apptest::Settle();
    EXPECT_EQ(fixture.messages.boxes.size(), 2u);
    EXPECT_EQ(status->text(), expected);
    for (const auto& box : fixture.messages.boxes) {
        EXPECT_TRUE(box.error);
        EXPECT_EQ(box.text, expected);
    }
}

}  // namespace
