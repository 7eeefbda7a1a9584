// The modem part of the "Send SMS" dialog against a fake modem on a pseudo-terminal: the search,
// sending with progress, outcome, reply and log, a second click, cancelling, closing mid-send.

#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFontInfo>
#include <QProgressBar>
#include <QTimer>

#include "app/ModemList.h"
#include "tests/app/SendDialogTestSupport.h"

namespace apptest {
namespace {

using modem_test::CommandsStartingWith;
using modem_test::DecodedParts;
using modem_test::DeliverPdu;

// What the dialog showed while it worked, sampled as the window's event loop ran.
struct Observed {
    QStringList progress;  // each distinct text of the progress line, in order
    bool sendDisabled = true;
    bool cancelEnabled = true;
    bool barShown = true;
    int timerTicks = 0;  // a timer of the window's thread, firing while the modem works
};

Observed WatchUntilIdle(ModemDialogFixture& f) {
    Observed seen;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++seen.timerTicks; });
    ticker.start(20);
    const auto sample = [&] {
        const QString now = f.Text("tntlbl_Progress");
        if (!now.isEmpty() && (seen.progress.isEmpty() || seen.progress.back() != now)) {
            seen.progress << now;
        }
        if (f.dialog->Busy()) {
            seen.sendDisabled &= !Control<QPushButton>(f.dialog, "tntbtn_Send")->isEnabled();
            seen.cancelEnabled &= Control<QPushButton>(f.dialog, "tntbtn_CancelSend")->isEnabled();
            seen.barShown &= Control<QProgressBar>(f.dialog, "tntprg_Send")->isVisible();
        }
        return !f.dialog->Busy();
    };
    EXPECT_TRUE(QTest::qWaitFor(sample, 15000)) << "the send did not end";
    return seen;
}

// No port is opened because the dialog opens; the first look at the modem list searches.
TEST(SendSmsModemTest, DroppingTheListDownSearchesAndListsTheFakeModem) {
    ModemDialogFixture f(ConfigurationFile({"DTU phone number=+8613800138000"}));
    f.Open();
    QTest::qWait(300);
    EXPECT_FALSE(f.dialog->Busy());
    EXPECT_TRUE(f.fake.Commands().empty()) << "opening the dialog spoke to the modem";
    auto* list = Control<app::ModemList>(f.dialog, "tntcomb_Modem");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->itemText(0), QStringLiteral("Automatic"));

    // A user's click on the arrow of the list, which has the keyboard's focus then.
    f.dialog->activateWindow();
    list->setFocus();
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(list->width() - 8, list->height() / 2));
    EXPECT_TRUE(f.dialog->Busy());
    EXPECT_EQ(list->itemText(0), QStringLiteral("Automatic \u2014 Searching\u2026"));
    // The first click opens the list; the search does not close it.
    EXPECT_TRUE(list->view()->isVisible());
    EXPECT_FALSE(Control<QPushButton>(f.dialog, "tntbtn_Send")->isEnabled());
    ASSERT_TRUE(WaitWhileBusy(*f.dialog));
    list->hidePopup();

    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemData(0).toString(), QStringLiteral("auto"));
    EXPECT_EQ(list->itemText(0),
              QStringLiteral("Automatic \u2014 serial port ") + QString::fromStdString(f.fake.path()));
    EXPECT_EQ(list->itemText(1), QString::fromStdString(f.fake.path()) + QStringLiteral(" \u2014 ready"));
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_TRUE(Control<QPushButton>(f.dialog, "tntbtn_Send")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(f.dialog, "tntbtn_CancelSend")->isEnabled());
    EXPECT_FALSE(f.fake.SlaveOpenedByOthers()) << "the search releases the port";
    // The probe's exchange is in the log.
    EXPECT_TRUE(f.Text("tntmemo_Log").contains(QStringLiteral(">> AT")));

    // Once searched, the list drops down without a new search.
    const std::size_t commands = f.fake.Commands().size();
    list->showPopup();
    EXPECT_FALSE(f.dialog->Busy());
    list->hidePopup();
    EXPECT_EQ(f.fake.Commands().size(), commands);
}

TEST(SendSmsModemTest, SendingShowsProgressOutcomeReplyAndTheLog) {
    ModemDialogFixture f(ConfigurationFile({"DTU phone number=+86 138 0013 8000"}));
    // Each answer takes a while, so that every stage stays on screen long enough to be seen.
    f.fake.SetAnswerDelayMs(120);
    f.fake.AddDelivery(DeliverPdu("+8613800138000", "ACK\nIP OK"), 300, 1);
    f.Open();
    f.ChooseFakeModem();
    f.Click("tntbtn_Send");
    EXPECT_TRUE(f.dialog->Busy());
    const Observed seen = WatchUntilIdle(f);

    EXPECT_TRUE(seen.sendDisabled);
    EXPECT_TRUE(seen.cancelEnabled);
    EXPECT_TRUE(seen.barShown);
    EXPECT_GT(seen.timerTicks, 5) << "the window's event loop ran while the modem worked";
    EXPECT_TRUE(seen.progress.contains(QStringLiteral("Sending part 1 of 1")))
        << seen.progress.join(" | ").toStdString();
    EXPECT_TRUE(std::any_of(seen.progress.begin(), seen.progress.end(), [](const QString& text) {
        return text.startsWith(QStringLiteral("Waiting for the reply ("));
    })) << seen.progress.join(" | ").toStdString();

    EXPECT_EQ(f.Text("tntlbl_Outcome"), QStringLiteral("Sent as 1 SMS (reference 17)\nThe DTU replied"));
    EXPECT_EQ(f.Text("tntmemo_Reply"), QStringLiteral("ACK\nIP OK"));
    EXPECT_EQ(f.Text("tntlbl_Progress"), QString());
    EXPECT_FALSE(Control<QProgressBar>(f.dialog, "tntprg_Send")->isVisible());
    EXPECT_TRUE(Control<QPushButton>(f.dialog, "tntbtn_Send")->isEnabled());
    // The command and the chosen modem show their starts, however narrow their fields.
    EXPECT_EQ(Control<QLineEdit>(f.dialog, "tntedt_SMSCommand")->cursorPosition(), 0);
    EXPECT_EQ(Control<app::ModemList>(f.dialog, "tntcomb_Modem")->lineEdit()->cursorPosition(), 0);

    // What went out over the air: the stored number, international, and the command exactly.
    const std::vector<sms::SubmitPdu> parts = DecodedParts(f.fake);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].destination.number, "+8613800138000");
    EXPECT_EQ(parts[0].destination.typeOfAddress, 0x91);
    EXPECT_EQ(parts[0].userData.text, kConfigurationCommand);

    // Details: the log of the send, in a read-only monospace view shown on demand.
    auto* log = Control<QPlainTextEdit>(f.dialog, "tntmemo_Log");
    EXPECT_FALSE(log->isVisible());
    f.Click("tntbtn_Details");
    EXPECT_TRUE(log->isVisible());
    EXPECT_TRUE(log->isReadOnly());
    EXPECT_TRUE(QFontInfo(log->font()).fixedPitch());
    const QString text = log->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral(">> AT+CMGS=") + QString::number(parts[0].tpduLength)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(f.fake.Pdus()[0]))) << "the PDU is in the log";
    EXPECT_TRUE(text.contains(QStringLiteral("<< +CMTI:"))) << text.toStdString();
    EXPECT_FALSE(f.fake.SlaveOpenedByOthers());
}

// The outcome in words for what the modem did, in the window's language.
TEST(SendSmsModemTest, TheOutcomeSaysWhatHappenedInTheWindowsLanguage) {
    const struct {
        const char* name;
        int language;
        bool waitForReply;
        void (*script)(modem_test::FakeModem&);
        const char* outcome;
    } rows[] = {
        {"sent without waiting", 1, false, [](modem_test::FakeModem&) {}, "Sent as 1 SMS (reference 17)"},
        {"refused by the network", 1, true,
         [](modem_test::FakeModem& fake) { fake.SetPartError(1, "+CMS ERROR: 330"); },
         "The modem refused part 1 of 1: service-centre number unknown; enter the service-centre number "
         "(+CMS "
         "ERROR: 330)"},
        {"refused, in Simplified Chinese", 2, true,
         [](modem_test::FakeModem& fake) { fake.SetPartError(1, "+CMS ERROR: 330"); },
         "调制解调器拒绝了第1部分（共1部分）：短信中心号码未知；请输入短信中心号码（+CMS ERROR: 330）"},
        {"locked SIM card, in Traditional Chinese", 3, true,
         [](modem_test::FakeModem& fake) { fake.SetPinState("SIM PIN"); }, "SIM卡需要輸入PIN碼"},
        {"no prompt", 1, true, [](modem_test::FakeModem& fake) { fake.SetPromptMissing(true); },
         "The modem did not take part 1 of 1; nothing of it was sent"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ModemDialogFixture f(ConfigurationFile({"DTU phone number=13800138000"}));
        f.window.Choose(row.language);
        row.script(f.fake);
        f.Open();
        f.ChooseFakeModem();
        Control<QCheckBox>(f.dialog, "tntchk_WaitReply")->setChecked(row.waitForReply);
        f.Click("tntbtn_Send");
        ASSERT_TRUE(WaitWhileBusy(*f.dialog));
        EXPECT_EQ(f.Text("tntlbl_Outcome"), QString::fromUtf8(row.outcome));
        EXPECT_EQ(f.Text("tntmemo_Reply"), QString());
        EXPECT_LE(f.fake.Pdus().size(), 1u);
    }
}

// A click that reaches the dialog while a send runs (queued before Send was disabled) sends nothing.
TEST(SendSmsModemTest, ASecondClickDuringASendIsIgnored) {
    ModemDialogFixture f(ConfigurationFile({"DTU phone number=13800138000"}));
    f.fake.SetAnswerDelayMs(80);
    f.Open();
    f.ChooseFakeModem();
    Control<QCheckBox>(f.dialog, "tntchk_WaitReply")->setChecked(false);
    auto* send = Control<QPushButton>(f.dialog, "tntbtn_Send");
    f.Click("tntbtn_Send");
    ASSERT_TRUE(f.dialog->Busy());
    EXPECT_FALSE(send->isEnabled());
    emit send->clicked();
    ASSERT_TRUE(WaitWhileBusy(*f.dialog));
    EXPECT_EQ(CommandsStartingWith(f.fake, "AT+CMGS=").size(), 1u);
    EXPECT_EQ(f.fake.Pdus().size(), 1u);
    EXPECT_EQ(f.Text("tntlbl_Outcome"), QStringLiteral("Sent as 1 SMS (reference 17)"));
}

// Closing while the modem keeps part 1 waiting for its "> " prompt: the part is withdrawn with ESC,
// nothing goes out, and the dialog closes once the port is free. Cancel does the same and stays.
TEST(SendSmsModemTest, ClosingOrCancellingWhileThePromptIsAwaitedWithdrawsThePart) {
    for (const bool close : {true, false}) {
        SCOPED_TRACE(close ? "close" : "cancel");
        ModemDialogFixture f(ConfigurationFile({"DTU phone number=13800138000"}));
        f.fake.SetPromptMissing(true);
        f.options.timeouts.promptMs = 20000;
        f.options.timeouts.partMs = 60000;
        f.Open();
        f.ChooseFakeModem();
        f.Click("tntbtn_Send");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !CommandsStartingWith(f.fake, "AT+CMGS=").empty(); }, 5000));
        QTest::qWait(100);

        if (close) {
            QTest::keyClick(f.dialog, Qt::Key_Escape);
        } else {
            f.Click("tntbtn_CancelSend");
        }
        // Until the worker has stopped, the dialog says so and stays.
        EXPECT_TRUE(f.dialog->isVisible());
        EXPECT_EQ(f.Text("tntlbl_Progress"), QStringLiteral("Cancelling\u2026"));
        EXPECT_FALSE(Control<QPushButton>(f.dialog, "tntbtn_CancelSend")->isEnabled());
        ASSERT_TRUE(WaitWhileBusy(*f.dialog, 3000)) << "the cancel must end the send promptly";
        EXPECT_EQ(f.dialog->isVisible(), !close);

        EXPECT_EQ(f.fake.Escapes(), 1);
        EXPECT_TRUE(f.fake.Pdus().empty());
        EXPECT_EQ(CommandsStartingWith(f.fake, "AT+CMGS=").size(), 1u);
        EXPECT_FALSE(f.fake.SlaveOpenedByOthers());
        EXPECT_EQ(f.Text("tntlbl_Outcome"), QStringLiteral("Cancelled"));
    }
}

// Destroying the window (the program ending) in the middle of a send cancels it and waits for the
// worker: nothing is sent half, the port is released.
TEST(SendSmsModemTest, DestroyingTheWindowMidSendCancelsCleanly) {
    ModemDialogFixture f(ConfigurationFile({"DTU phone number=13800138000"}));
    f.fake.SetPromptMissing(true);
    f.options.timeouts.promptMs = 20000;
    f.Open();
    f.ChooseFakeModem();
    f.Click("tntbtn_Send");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !CommandsStartingWith(f.fake, "AT+CMGS=").empty(); }, 5000));
    f.window.fixture.window.reset();
    EXPECT_EQ(f.fake.Escapes(), 1);
    EXPECT_TRUE(f.fake.Pdus().empty());
    EXPECT_FALSE(f.fake.SlaveOpenedByOthers());
}

// A device typed into the list is used as it is named.
TEST(SendSmsModemTest, ATypedDeviceIsUsed) {
    ModemDialogFixture f(ConfigurationFile({"DTU phone number=13800138000"}));
    f.options.candidatePorts = {"/dev/dtusms-no-such-port"};
    f.Open();
    f.Search();
    auto* list = Control<QComboBox>(f.dialog, "tntcomb_Modem");
    EXPECT_EQ(list->itemText(0), QStringLiteral("Automatic \u2014 no modem found"));
    list->setEditText(QString::fromStdString(f.fake.path()));
    Control<QCheckBox>(f.dialog, "tntchk_WaitReply")->setChecked(false);
    f.Click("tntbtn_Send");
    ASSERT_TRUE(WaitWhileBusy(*f.dialog));
    EXPECT_EQ(f.Text("tntlbl_Outcome"), QStringLiteral("Sent as 1 SMS (reference 17)"));
    EXPECT_EQ(f.fake.Pdus().size(), 1u);
}

}  // namespace
}  // namespace apptest
