// The window logic against a window without a toolkit: what it writes, shows and runs, on Linux and
// under Wine alike.

#include "app/logic/WindowLogic.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <filesystem>
#include <optional>
#include <string>

#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "tests/app/logic/FakeWindowView.h"
#include "tests/i18n/TestSupport.h"
#include "tests/net/FakeResolver.h"
#include "tests/net/LoopbackPeers.h"
#include "tests/sms/TempDir.h"

namespace {

using app::logic::Control;
using logictest::FakeWindowView;
using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

constexpr const char* kTitle = "TQ-3VOVE SMS configuration tool";

struct LogicFixture {
    explicit LogicFixture(const std::string& file = {}) {
        resolver.entries[resolver.hostName] = {"10.20.30.40"};
        settingsPath = dir.File("GPRSInfo.ini");
        if (!file.empty()) {
            WriteBytes(settingsPath, file);
        }
    }

    // The window created and shown on `path` (the fixture's file when empty).
    app::logic::WindowLogic& Start(const std::string& path = {}) {
        app::logic::WindowLogic::Options options;
        options.settingsPath = path.empty() ? settingsPath : path;
        options.resolver = &resolver;
        logic.emplace(view, options);
        logic->FormCreate();
        logic->FormShow();
        view.RunPosted();
        return *logic;
    }

    // The user types `typed` at the end of `field`, one key at a time.
    void Type(Control field, const std::string& typed) {
        for (const char key : typed) {
            view.texts[field] += key;
            logic->TextChanged(field);
        }
    }

    TempDir dir;
    nettest::FakeResolver resolver;
    std::string settingsPath;
    FakeWindowView view;
    std::optional<app::logic::WindowLogic> logic;
};

// The program's localization engine with its built-in catalogs, the automatic language English.
struct RunningEngine {
    RunningEngine() { locale.Lang = "en"; }

    i18n::test::FakeLocale locale;
    i18n::test::RecordingSink sink;
    i18n::EngineSession session{base::ProgramFilePath(), locale, sink};
};

TEST(WindowLogicTest, PortTextReadsAsSignedDigitsOrTheFallback) {
    const struct {
        const char* text;
        int value;
    } rows[] = {
        {"6000", 6000},
        {"+6000", 6000},
        {"-5", -5},
        {"007", 7},
        {"", 1000},
        {"+", 1000},
        {"12a", 1000},
        {" 12", 1000},
        {"1e3", 1000},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(app::logic::PortValueOfText(row.text), row.value) << '"' << row.text << '"';
    }
}

TEST(WindowLogicTest, PortEditsShowAndStoreTheCappedValue) {
    const struct {
        const char* typed;
        const char* shown;
        const char* stored;
    } rows[] = {
        {"60", "60", "Port=60"},            // values below the range stay while typing
        {"123456", "99999", "Port=99999"},  // cut back at once
        {"", "1000", "Port=1000"},          // an emptied field shows the minimum
        {"12x", "12x", "Port=1000"},        // text that is no number stays until focus leaves
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        LogicFixture f("[Main]\r\nPort=6000\r\nStatic IP=10.20.30.40\r\nDTU number=TQ-GP000001\r\n");
        f.Start();
        f.view.texts[Control::Port] = row.typed;
        f.logic->TextChanged(Control::Port);
        EXPECT_EQ(f.view.Text(Control::Port), row.shown);
        EXPECT_NE(ReadBytes(f.settingsPath).find(std::string(row.stored) + "\r\n"), std::string::npos)
            << ReadBytes(f.settingsPath);
    }
}

TEST(WindowLogicTest, RefusedWritesShowOneBoxPerFailureAndWarnWhileTheyFail) {
    LogicFixture f;
    const std::string folder = f.dir.File("missing-folder");
    const std::string path = folder + "/GPRSInfo.ini";
    f.Start(path);
    const std::string expected = "Unable to write to " + path + ".";
    // The start's write-backs fail: one box, shown after the start's handler.
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_TRUE(f.view.boxes[0].error);
    EXPECT_EQ(f.view.boxes[0].caption, kTitle);
    EXPECT_EQ(f.view.boxes[0].text, expected);
    EXPECT_EQ(f.view.Text(Control::Status), expected);

    // Every key keeps its place in the field; the same failure brings no second box.
    f.Type(Control::StaticIP, "0123");
    EXPECT_TRUE(f.view.posted.empty());
    EXPECT_EQ(f.view.Text(Control::StaticIP), "10.20.30.400123");
    EXPECT_EQ(f.view.boxes.size(), 1u);

    // A failed write ends its handler: the server-mode controls stay as they were.
    f.view.enabled.clear();
    f.view.selected[Control::ServerNetMode] = 1;
    f.logic->ItemPicked(Control::ServerNetMode);
    EXPECT_TRUE(f.view.enabled.empty());

    // Writes work again: the warning goes. A later failure is news and gets its box, after the keys
    // already typed.
    std::filesystem::create_directory(folder);
    f.Type(Control::Other, "a");
    EXPECT_EQ(f.view.Text(Control::Status), "");
    std::filesystem::remove_all(folder);
    f.Type(Control::Other, "b");
    EXPECT_EQ(f.view.boxes.size(), 1u);
    f.view.RunPosted();
    ASSERT_EQ(f.view.boxes.size(), 2u);
    EXPECT_EQ(f.view.boxes[1].text, expected);
    EXPECT_EQ(f.view.Text(Control::Status), expected);
}

TEST(WindowLogicTest, GenerationShowsTheCommandAndItsStatusOrTheFirstMissingField) {
    const struct {
        const char* name;
        const char* file;
        const char* command;
        const char* prompt;
    } rows[] = {
        {"configuration", "[Main]\r\nPort=6000\r\nStatic IP=192.0.2.2\r\nDTU number=TQ-GP000001\r\n",
         "(A55A#1*192.0.2.2*6000#3*CMNET#4*TQ-GP000001)", nullptr},
        {"blank DTU number", "[Main]\r\nPort=6000\r\nStatic IP=192.0.2.2\r\nDTU number= \r\n", "",
         "Please enter valid \"DTU number\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LogicFixture f(row.file);
        f.Start();
        f.view.texts[Control::SMSCommandFormat] = "earlier";
        f.view.texts[Control::Status] = "earlier";
        f.logic->GenerationSMSClick();
        EXPECT_EQ(f.view.Text(Control::SMSCommandFormat), row.command);
        if (row.prompt == nullptr) {
            EXPECT_EQ(f.view.Text(Control::Status), "1 SMS, 45 of 160 characters");
            EXPECT_TRUE(f.view.boxes.empty());
        } else {
            EXPECT_EQ(f.view.Text(Control::Status), "");
            ASSERT_EQ(f.view.boxes.size(), 1u);
            EXPECT_EQ(f.view.boxes[0].caption, "Prompt");
            EXPECT_EQ(f.view.boxes[0].text, row.prompt);
        }
    }
}

TEST(WindowLogicTest, ChecksRunInTheBackgroundOneAtATimeAndNotAfterClosing) {
    const std::string file = "[Main]\r\nPort=6000\r\nStatic IP= \r\nDTU number=X\r\n";
    {
        LogicFixture f(file);
        f.Start();
        f.view.texts[Control::StaticIP] = " ";
        f.logic->TestServerPortClick();
        // Nothing is decided on the window's thread, and every other check is ignored meanwhile.
        EXPECT_TRUE(f.view.boxes.empty());
        EXPECT_TRUE(f.logic->CheckRunning());
        f.logic->JudgeMapingClick();
        f.logic->StaticIPClick();
        f.logic->TestServerPortClick();
        EXPECT_EQ(f.view.background.size(), 1u);
        f.view.RunBackground();
        EXPECT_FALSE(f.logic->CheckRunning());
        ASSERT_EQ(f.view.boxes.size(), 1u);
        EXPECT_EQ(f.view.boxes[0].text, "Please enter valid \"Static IP\"");
        // Over: the next click runs a check again.
        f.logic->JudgeMapingClick();
        EXPECT_EQ(f.view.background.size(), 1u);
    }
    LogicFixture f(file);
    f.Start();
    f.view.texts[Control::StaticIP] = " ";
    f.logic->JudgeMapingClick();
    f.logic->Closing();
    f.view.RunBackground();
    EXPECT_TRUE(f.view.boxes.empty());
    EXPECT_FALSE(f.logic->CheckRunning());
}

TEST(WindowLogicTest, PortTestWithoutAModeFailsWithoutStatusOrLookUp) {
    LogicFixture f("[Main]\r\nServer address mode=7\r\nPort=6000\r\nStatic IP=192.0.2.2\r\nDTU number=X\r\n");
    f.Start();
    f.view.texts[Control::Status] = "before";
    f.logic->TestServerPortClick();
    f.view.RunBackground();
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0].text, "With IP =, port =6000 of server connection is failed!");
    EXPECT_EQ(f.view.Text(Control::Status), f.view.boxes[0].text);
}

TEST(WindowLogicTest, LanguageChoiceMarksItsItemSavesItAndReloadsTheFields) {
    LogicFixture f("[Main]\r\nPort=6000\r\nStatic IP=10.20.30.40\r\nDTU number=TQ-GP000001\r\n");
    f.Start();
    f.view.selected[Control::SMSCommandType] = -1;
    f.logic->LanguageItemClick(2);
    EXPECT_EQ(f.view.marks, (std::array<bool, 4>{false, false, true, false}));
    EXPECT_EQ(f.logic->LanguageNumber(), 2);
    EXPECT_NE(ReadBytes(f.settingsPath).find("nLanguageID=2\r\n"), std::string::npos);
    EXPECT_EQ(f.view.Selected(Control::SMSCommandType), 0);

    f.view.marks = {};
    f.logic->LanguagePopup();
    EXPECT_EQ(f.view.marks, (std::array<bool, 4>{false, false, true, false}));
}

TEST(WindowLogicTest, TheLengthLineSpeaksEachLanguageChosenAfterIt) {
    RunningEngine engine;
    LogicFixture f("[Main]\r\nPort=6000\r\nStatic IP=192.0.2.2\r\nDTU number=TQ-GP000001\r\n");
    f.Start();
    f.logic->GenerationSMSClick();
    EXPECT_EQ(f.view.Text(Control::Status), "1 SMS, 45 of 160 characters");
    const struct {
        int language;
        const char* status;
    } switches[] = {
        {2, "1条短信，45/160个字符"},
        {3, "1條短信，45/160個字元"},
        {1, "1 SMS, 45 of 160 characters"},
    };
    for (const auto& step : switches) {
        f.logic->LanguageItemClick(step.language);
        EXPECT_EQ(f.view.Text(Control::Status), step.status) << step.language;
    }

    // Any other line that replaced it belongs to the moment it was written, and stays.
    f.logic->LanguageItemClick(2);
    f.view.selected[Control::ServerNetMode] = 7;
    f.logic->TestServerPortClick();
    f.view.RunBackground();
    const std::string failure = f.view.Text(Control::Status);
    EXPECT_EQ(failure.find("SMS"), std::string::npos) << failure;
    f.logic->LanguageItemClick(1);
    EXPECT_EQ(f.view.Text(Control::Status), failure);
    EXPECT_TRUE(engine.sink.Shown.empty());
}

TEST(WindowLogicTest, PortTestStatusAddsWhyItFailedAndThePromptDoesNot) {
    RunningEngine engine;
    const int refused = nettest::RefusedPort();
    const struct {
        const char* name;
        int language;
        std::string file;
        std::string prompt;
        std::string reason;
    } rows[] = {
        {"refused", 1, "Static IP=127.0.0.1\r\nPort=" + std::to_string(refused),
         "With IP =127.0.0.1, port =" + std::to_string(refused) + " of server connection is failed!",
         "Connection refused."},
        {"no such host", 2, "Server address mode=1\r\nDomain address=nowhere.test\r\nPort=6000",
         "与IP=nowhere.test，端口=6000的服务器连接失败！", "找不到该主机。"},
        {"port outside the range", 3, "Static IP=127.0.0.1\r\nPort=70000",
         "與IP=127.0.0.1，端口=70000的服務器連接失敗！", "端口不在1–65535範圍內。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LogicFixture f("[Main]\r\n" + row.file + "\r\nDTU number=X\r\n");
        f.resolver.entries["127.0.0.1"] = {"127.0.0.1"};
        f.Start();
        f.logic->LanguageItemClick(row.language);
        f.logic->TestServerPortClick();
        f.view.RunBackground();
        ASSERT_EQ(f.view.boxes.size(), 1u);
        EXPECT_EQ(f.view.boxes[0].text, row.prompt);
        EXPECT_EQ(f.view.Text(Control::Status), row.prompt + " " + row.reason);
    }
}

}  // namespace
