// What the "Send SMS" dialogs show for a state: the command line, the phone number's message, the QR
// area's payload or reason, and the progress line and bar.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/SendSmsState.h"
#include "app/SendSmsTexts.h"
#include "modem/Texts.h"

namespace {

using app::sendsms::CommandShown;
using app::sendsms::WorkState;

// A translation that marks every text it was asked for, so that an untranslated text shows.
std::string Marked(const std::string& english) {
    return "<" + english + ">";
}

sms::SmsCommandResult Command(bool ok, std::string text, std::string failedLabel = {}) {
    return {ok, std::move(text), std::move(failedLabel)};
}

TEST(SendSmsStateTest, CommandShowsItsLengthOrWhatIsMissing) {
    const CommandShown shown = app::sendsms::ShowCommand(Command(true, "(A55A#s)"), {});
    EXPECT_TRUE(shown.ok);
    EXPECT_EQ(shown.command, "(A55A#s)");
    EXPECT_EQ(shown.line, "1 SMS, 8 of 160 characters");

    const CommandShown missing = app::sendsms::ShowCommand(Command(false, "", "Domain address"), Marked);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.command, "");
    // The field's label is translated too, not only the sentence around it.
    EXPECT_EQ(missing.line, "<Fill in \"<Domain address>\" in the main window>");

    // A command type that composes nothing: no command, and the reason instead of a length.
    const CommandShown none = app::sendsms::ShowCommand(Command(true, ""), Marked);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.command, "");
    EXPECT_EQ(none.line, "<" + std::string(app::sendsms::kNoCommand) + ">");
}

TEST(SendSmsStateTest, PhoneMistakeOnlyForAnEditedInvalidNumber) {
    const std::string message = "Please enter valid \"DTU phone number\"";
    struct Case {
        const char* typed;
        bool checked;
        bool mistake;
    };
    for (const Case& c :
         {Case{"", false, false}, Case{"12", false, false}, Case{"", true, true}, Case{"12", true, true},
          Case{"+86 138-0013-8000", true, false}, Case{"+8613800138000x", true, true}}) {
        EXPECT_EQ(app::sendsms::PhoneMistake(c.typed, c.checked, {}), c.mistake ? message : "")
            << c.typed << " checked " << c.checked;
    }
}

TEST(SendSmsStateTest, QrAreaNamesTheNumberFirstThenTheCommand) {
    const CommandShown command = app::sendsms::ShowCommand(Command(true, "(A55A#s)"), {});
    const CommandShown missing = app::sendsms::ShowCommand(Command(false, "", "DTU number"), {});

    const app::sendsms::QrContent noNumber = app::sendsms::QrFor("", missing, {});
    EXPECT_EQ(noNumber.payload, "");
    EXPECT_EQ(noNumber.reason, "Please enter valid \"DTU phone number\"");

    const app::sendsms::QrContent noCommand = app::sendsms::QrFor("13800138000", missing, {});
    EXPECT_EQ(noCommand.payload, "");
    EXPECT_EQ(noCommand.reason, "Fill in \"DTU number\" in the main window");

    // The number goes into the payload as normalised, without the blanks and dashes typed.
    const app::sendsms::QrContent both = app::sendsms::QrFor(" +86 138-0013-8000 ", command, {});
    EXPECT_EQ(both.payload, "SMSTO:+8613800138000:(A55A#s)");
    EXPECT_EQ(both.reason, "");
}

TEST(SendSmsStateTest, QrErrorSaysTooLongInWords) {
    const qr::QrError tooLong(qr::QrError::Reason::kPayloadTooLong, "payload of 3000 bytes");
    EXPECT_EQ(app::sendsms::QrErrorText(tooLong, Marked), "<" + std::string(app::sendsms::kQrTooLong) + ">");
    const qr::QrError failed(qr::QrError::Reason::kEncoderFailure, "out of memory");
    EXPECT_EQ(app::sendsms::QrErrorText(failed, Marked), "out of memory");
}

TEST(SendSmsStateTest, ProgressLineAndBar) {
    modem::Progress waiting;
    waiting.stage = modem::Stage::WaitingForReply;
    waiting.secondsLeft = 100;
    waiting.message = modem::text::Make("Waiting for the reply");
    modem::Progress opening;
    opening.stage = modem::Stage::Opening;
    opening.message = modem::text::Make("Opening");

    struct Case {
        WorkState state;
        std::string line;
        std::optional<int> fill;
    };
    const Case cases[] = {
        {WorkState{}, "", std::nullopt},
        {WorkState{true, true, false, std::nullopt}, "<Searching\u2026>", std::nullopt},
        {WorkState{true, false, false, std::nullopt}, "<Starting\u2026>", std::nullopt},
        {WorkState{true, false, false, opening}, "<Opening>", std::nullopt},
        {WorkState{true, false, false, waiting}, "<Waiting for the reply>", 20},
        // A cancel says so whatever stage was reported last, and the bar no longer counts.
        {WorkState{true, false, true, waiting}, "<Cancelling\u2026>", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::sendsms::ProgressLine(c.state, Marked), c.line);
        EXPECT_EQ(app::sendsms::ReplyWaitFill(c.state), c.fill) << c.line;
    }
    // A count outside the waiting time stays inside the bar's range.
    waiting.secondsLeft = 500;
    EXPECT_EQ(app::sendsms::ReplyWaitFill(WorkState{true, false, false, waiting}), 0);
    waiting.secondsLeft = -3;
    EXPECT_EQ(app::sendsms::ReplyWaitFill(WorkState{true, false, false, waiting}),
              app::sendsms::kReplyTimeoutSeconds);
}

}  // namespace
