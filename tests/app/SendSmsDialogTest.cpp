// The "Send SMS" dialog opened from the main window: the phone number and its settings key, the
// command and its length, the QR code, the status bar's length line and the language.

#include "app/SendSmsDialog.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "app/QrCodeView.h"
#include "tests/app/SendDialogTestSupport.h"

namespace apptest {
namespace {

TEST(SendSmsDialogTest, OpensModalAndCentredOnTheWindowWithTheCommandAndStoredNumber) {
    WindowFixture f(ConfigurationFile({"DTU phone number=+86 138-0013-8000"}), true);
    app::Ttntfrm_Main& window = f.Show();
    app::SendSmsDialog* dialog = ClickSendSms(window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->parentWidget(), &window);
    EXPECT_EQ(dialog->frameGeometry().center(), window.frameGeometry().center());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Send SMS"));
    EXPECT_EQ(dialog->font(), window.font());
    EXPECT_EQ(DialogText(dialog, "tntedt_DTUPhoneNumber"), QStringLiteral("+86 138-0013-8000"));
    EXPECT_EQ(DialogText(dialog, "tntlbl_PhoneNumberMessage"), QString());
    EXPECT_EQ(DialogText(dialog, "tntedt_SMSCommand"), QString::fromLatin1(kConfigurationCommand));
    EXPECT_EQ(DialogText(dialog, "tntlbl_SMSLength"), QStringLiteral("1 SMS, 49 of 160 characters"));
    EXPECT_TRUE(Control<app::QrCodeView>(dialog, "tntimg_QRCode")->HasCode());
    EXPECT_TRUE(f.messages.boxes.empty());

    // Kept between openings, with the window's fields of the moment.
    dialog->reject();
    ASSERT_TRUE(WaitWhileBusy(*dialog));
    QTRY_VERIFY(!dialog->isVisible());
    PickItem(f.Find<QComboBox>("tntcomb_SMSCommandType"), 1);
    EXPECT_EQ(ClickSendSms(window), dialog);
    EXPECT_EQ(DialogText(dialog, "tntedt_SMSCommand"), QStringLiteral("(A55A#s)"));
    EXPECT_EQ(DialogText(dialog, "tntlbl_SMSLength"), QStringLiteral("1 SMS, 8 of 160 characters"));
}

// The number is written at every change and only then: the first start keeps its three keys.
TEST(SendSmsDialogTest, TheNumberIsSavedAsTypedAndOnlyWhenTyped) {
    WindowFixture f;
    app::Ttntfrm_Main& window = f.Show();
    const std::string firstStart = f.File();
    EXPECT_EQ(firstStart, MainSection({"Port=6000", "Static IP=10.20.30.40", "DTU number=TQ-GP000001"}));
    app::SendSmsDialog* dialog = ClickSendSms(window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(f.File(), firstStart) << "opening the dialog writes nothing";

    auto* number = Control<QLineEdit>(dialog, "tntedt_DTUPhoneNumber");
    QTest::keyClicks(number, QStringLiteral("+86 13"));
    EXPECT_EQ(f.File(), MainSection({"Port=6000", "Static IP=10.20.30.40", "DTU number=TQ-GP000001",
                                     "DTU phone number=+86 13"}));
    QTest::keyClicks(number, QStringLiteral("8 0013 8000"));
    EXPECT_NE(f.File().find("DTU phone number=+86 138 0013 8000\r\n"), std::string::npos);
    EXPECT_TRUE(f.messages.boxes.empty());

    // The next opening, like the next start, shows what was saved.
    dialog->reject();
    ASSERT_TRUE(WaitWhileBusy(*dialog));
    f.window.reset();
    app::Ttntfrm_Main& again = f.Show();
    EXPECT_EQ(DialogText(ClickSendSms(again), "tntedt_DTUPhoneNumber"), QStringLiteral("+86 138 0013 8000"));
}

// A number that is not one, and a command that cannot be composed: said in the dialog, no box per
// keystroke; Send shows the first problem in a box.
TEST(SendSmsDialogTest, InvalidNumberAndMissingFieldAreShownInTheDialog) {
    const struct {
        const char* name;
        std::vector<std::string> settings;
        const char* typed;
        const char* numberMessage;
        const char* command;
        const char* lengthLine;
        const char* codeReason;
        const char* sendBox;
    } rows[] = {
        {"letters in the number",
         {"Static IP=192.168.1.100"},
         "1380013800a",
         "Please enter valid \"DTU phone number\"",
         kConfigurationCommand,
         "1 SMS, 49 of 160 characters",
         "Please enter valid \"DTU phone number\"",
         "Please enter valid \"DTU phone number\""},
        {"two digits",
         {"Static IP=192.168.1.100"},
         "12",
         "Please enter valid \"DTU phone number\"",
         kConfigurationCommand,
         "1 SMS, 49 of 160 characters",
         "Please enter valid \"DTU phone number\"",
         "Please enter valid \"DTU phone number\""},
        {"missing static IP",
         {"Static IP=  "},
         "13800138000",
         "",
         "",
         "Fill in \"Static IP\" in the main window",
         "Fill in \"Static IP\" in the main window",
         "Fill in \"Static IP\" in the main window"},
        {"missing Other APN",
         {"Static IP=192.168.1.100", "Service network(APN)=3"},
         "13800138000",
         "",
         "",
         "Fill in \"Service network(APN)\" in the main window",
         "Fill in \"Service network(APN)\" in the main window",
         "Fill in \"Service network(APN)\" in the main window"},
        {"nothing typed yet: the rule, no red message",
         {"Static IP=192.168.1.100"},
         "",
         "",
         kConfigurationCommand,
         "1 SMS, 49 of 160 characters",
         "Please enter valid \"DTU phone number\"",
         "Please enter valid \"DTU phone number\""},
        {"no command type",
         {"Static IP=192.168.1.100", "SMS command type=7"},
         "13800138000",
         "",
         "",
         "No SMS command: choose the server address mode and the SMS command type in the main window",
         "No SMS command: choose the server address mode and the SMS command type in the main window",
         "No SMS command: choose the server address mode and the SMS command type in the main window"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture f(ConfigurationFile(row.settings), true);
        app::SendSmsDialog* dialog = ClickSendSms(f.Show());
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(Control<QLineEdit>(dialog, "tntedt_DTUPhoneNumber"), QString::fromUtf8(row.typed));

        EXPECT_EQ(DialogText(dialog, "tntlbl_PhoneNumberMessage"), QString::fromUtf8(row.numberMessage));
        EXPECT_EQ(DialogText(dialog, "tntedt_SMSCommand"), QString::fromUtf8(row.command));
        EXPECT_EQ(DialogText(dialog, "tntlbl_SMSLength"), QString::fromUtf8(row.lengthLine));
        const auto* code = Control<app::QrCodeView>(dialog, "tntimg_QRCode");
        EXPECT_FALSE(code->HasCode());
        EXPECT_EQ(Plain(code->Reason()), QString::fromUtf8(row.codeReason));
        EXPECT_TRUE(f.messages.boxes.empty()) << "no box while typing";
        EXPECT_EQ(DialogText(dialog, "tntlbl_PhoneNumberRule"), QStringLiteral("+ and 3 to 20 digits"));

        ASSERT_TRUE(WaitWhileBusy(*dialog));
        QTest::mouseClick(Control<QPushButton>(dialog, "tntbtn_Send"), Qt::LeftButton);
        ASSERT_EQ(f.messages.boxes.size(), 1u);
        EXPECT_FALSE(f.messages.boxes[0].error);
        EXPECT_EQ(f.messages.boxes[0].owner, dialog);
        EXPECT_EQ(f.messages.boxes[0].caption, QStringLiteral("Prompt"));
        EXPECT_EQ(f.messages.boxes[0].text, QString::fromUtf8(row.sendBox));
        EXPECT_FALSE(dialog->Busy()) << "nothing is sent";
        // Send shows a wrong number in red, also one never typed.
        const bool numberInvalid =
            QString::fromUtf8(row.codeReason).contains(QStringLiteral("DTU phone number"));
        EXPECT_EQ(DialogText(dialog, "tntlbl_PhoneNumberMessage"),
                  numberInvalid ? QStringLiteral("Please enter valid \"DTU phone number\"") : QString());
        EXPECT_EQ(Control<QLabel>(dialog, "tntlbl_PhoneNumberMessage")->isVisible(), numberInvalid);
    }
}

// The code is decoded from what the dialog paints, and follows the number as it is typed.
TEST(SendSmsDialogTest, TheQrCodeHoldsTheSmsToTextAndIsRedrawnWhenTheNumberChanges) {
    WindowFixture f(ConfigurationFile({"DTU phone number=+86 (138) 0013-8000"}), true);
    app::SendSmsDialog* dialog = ClickSendSms(f.Show());
    ASSERT_NE(dialog, nullptr);
    auto* code = Control<app::QrCodeView>(dialog, "tntimg_QRCode");
    // Crisp: whole pixels a module, large enough for a phone to read from the screen.
    EXPECT_GE(code->ModulePixels(), 4);
    EXPECT_EQ(DecodeShownCode(code, f.dir), "SMSTO:+8613800138000:" + std::string(kConfigurationCommand));

    auto* number = Control<QLineEdit>(dialog, "tntedt_DTUPhoneNumber");
    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("013912345678"));
    EXPECT_EQ(DecodeShownCode(code, f.dir), "SMSTO:013912345678:" + std::string(kConfigurationCommand));

    QTest::keyClick(number, Qt::Key_Backspace);
    QTest::keyClicks(number, QStringLiteral("x"));
    EXPECT_EQ(DecodeShownCode(code, f.dir), std::nullopt) << "no code for an invalid number";
    EXPECT_EQ(Plain(code->Reason()), QStringLiteral("Please enter valid \"DTU phone number\""));
}

// A command too long for one SMS, and one too long for any QR code: the domain field takes more than
// the settings file keeps, so the longest commands come from the window's field as typed.
TEST(SendSmsDialogTest, LongCommandsAreWarnedAboutAndAnOverlongOneGetsNoCode) {
    const struct {
        const char* name;
        int domainLength;
        const char* lengthLine;
        bool code;
    } rows[] = {
        {"two parts", 150, "Sent as 2 SMS (186 characters, 153 per SMS); many DTUs read only single messages",
         true},
        {"a long but readable code", 600,
         "Sent as 5 SMS (636 characters, 153 per SMS); many DTUs read only single messages", true},
        {"beyond any QR code", 3000,
         "Sent as 20 SMS (3036 characters, 153 per SMS); many DTUs read only single messages", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture f(ConfigurationFile({"Server address mode=1", "DTU phone number=13800138000"}), true);
        app::Ttntfrm_Main& window = f.Show();
        f.Find<QLineEdit>("tntedt_DomainAddress")->setText(QString(row.domainLength, QLatin1Char('d')));
        app::SendSmsDialog* dialog = ClickSendSms(window);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(DialogText(dialog, "tntlbl_SMSLength"), QString::fromUtf8(row.lengthLine));
        const auto* code = Control<app::QrCodeView>(dialog, "tntimg_QRCode");
        EXPECT_EQ(code->HasCode(), row.code);
        if (row.code) {
            // The view grows rather than let modules shrink below what a camera resolves.
            EXPECT_GE(code->ModulePixels(), app::QrCodeView::kMinModulePixels);
        } else {
            EXPECT_EQ(code->Reason(), QStringLiteral("The SMS command is too long for a QR code"));
        }
    }
}

// "Generation SMS" puts the command's length in the status bar, and takes it away when it fails.
TEST(SendSmsDialogTest, GenerationSmsShowsTheLengthInTheStatusBar) {
    LanguageFixture f(ConfigurationFile(), true);
    f.locale.lang = "en";
    f.Show();
    auto* status = f.fixture.Find<QLabel>("tntstsbr_Status_Panel0");
    auto* generate = f.fixture.Find<QPushButton>("tntbtn_GenerationSMS");
    QTest::mouseClick(generate, Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("1 SMS, 49 of 160 characters"));

    // A UCS-2 DTU number: 70 characters to one SMS.
    auto* dtu = f.fixture.Find<QLineEdit>("tntedt_DTUNumber");
    dtu->setText(QStringLiteral("设备一"));
    QTest::mouseClick(generate, Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("1 SMS, 41 of 70 characters"));

    // A language switch words the line anew at once.
    f.Choose(2);
    EXPECT_EQ(status->text(), QStringLiteral("1条短信，41/70个字符"));
    QTest::mouseClick(generate, Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("1条短信，41/70个字符"));

    f.fixture.Find<QLineEdit>("tntedt_StaticIP")->clear();
    QTest::mouseClick(generate, Qt::LeftButton);
    EXPECT_EQ(status->text(), QString());
}

struct DialogCaption {
    const char* object;
    const char* english;
};

const DialogCaption kDialogCaptions[] = {
    {"tntfrm_SendSMS", "Send SMS"},
    {"tntlbl_DTUPhoneNumber", "DTU phone number"},
    {"tntlbl_PhoneNumberRule", "+ and 3 to 20 digits"},
    {"tntlbl_SMSCommand", "SMS command"},
    {"tntlbl_QRCodeHint", "Scan the code with a phone's camera: it opens this SMS, ready to send"},
    {"tntgrp_Modem", "Send through a modem"},
    {"tntlbl_Modem", "Modem"},
    {"tntbtn_SearchModems", "Search for modems"},
    {"tntlbl_SMSC", "Service centre"},
    {"tntlbl_SMSCNote", "(optional; empty: the SIM card's own)"},
    {"tntchk_WaitReply", "Wait 120 s for the reply"},
    {"tntbtn_Send", "Send"},
    {"tntbtn_CancelSend", "Cancel"},
    {"tntlbl_Reply", "Reply"},
    {"tntbtn_Details", "Details"},
    {"tntbtn_DialogClose", "Close"},
};

void ExpectDialogLanguage(app::SendSmsDialog* dialog, const char* step, int languageNumber) {
    SCOPED_TRACE(step);
    for (const DialogCaption& caption : kDialogCaptions) {
        EXPECT_EQ(DialogText(dialog, caption.object), EngineText(caption.english)) << caption.object;
        if (languageNumber >= 2) {
            EXPECT_NE(EngineText(caption.english), QString::fromUtf8(caption.english)) << caption.object;
        }
    }
    // The texts the dialog writes itself follow too.
    EXPECT_EQ(Plain(Control<app::QrCodeView>(dialog, "tntimg_QRCode")->Reason()),
              EngineText("Please enter valid") + QStringLiteral(" \"") + EngineText("DTU phone number") +
                  QStringLiteral("\""));
}

TEST(SendSmsDialogTest, FollowsTheWindowsLanguageWhenOpenedAndAtEverySwitch) {
    LanguageFixture f(ConfigurationFile({"nLanguageID=2"}), true);
    f.locale.lang = "en";
    f.Show();
    app::SendSmsDialog* dialog = ClickSendSms(f.Window());
    ASSERT_NE(dialog, nullptr);
    ExpectDialogLanguage(dialog, "opened in Simplified Chinese", 2);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("发送短信"));
    EXPECT_EQ(DialogText(dialog, "tntlbl_SMSLength"), QStringLiteral("1条短信，49/160个字符"));
    EXPECT_EQ(DialogText(dialog, "tntlbl_PhoneNumberMessage"), QString()) << "nothing typed yet";

    dialog->reject();
    ASSERT_TRUE(WaitWhileBusy(*dialog));
    QTRY_VERIFY(!dialog->isVisible());
    // A switch while the dialog is closed reaches it at once, not only at its next opening.
    f.Choose(3);
    ExpectDialogLanguage(dialog, "switched to Traditional Chinese while closed", 3);
    EXPECT_EQ(DialogText(dialog, "tntbtn_Send"), QStringLiteral("發送"));
    EXPECT_EQ(ClickSendSms(f.Window()), dialog);
    ExpectDialogLanguage(dialog, "reopened in Traditional Chinese", 3);
    EXPECT_EQ(DialogText(dialog, "tntlbl_SMSLength"), QStringLiteral("1條短信，49/160個字元"));

    dialog->reject();
    ASSERT_TRUE(WaitWhileBusy(*dialog));
    f.Choose(1);
    ClickSendSms(f.Window());
    ExpectDialogLanguage(dialog, "back to English", 1);
    EXPECT_EQ(DialogText(dialog, "tntlbl_SMSLength"), QStringLiteral("1 SMS, 49 of 160 characters"));
}

}  // namespace
}  // namespace apptest
