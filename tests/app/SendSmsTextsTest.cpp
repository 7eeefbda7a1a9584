// The lines the "Send SMS" dialog and the status bar build from the modem's results and the SMS
// length, and the catalogs' translations of every text the dialog can show.

#include "app/SendSmsTexts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "modem/ErrorCodes.h"
#include "modem/Texts.h"
#include "tests/app/LanguageTestSupport.h"

namespace apptest {
namespace {

using app::sendsms::LengthLine;
using app::sendsms::ModemChoiceText;
using app::sendsms::ModemSearch;
using app::sendsms::OutcomeLines;
namespace text = modem::text;

// A stand-in translation that marks what it translated, so a test sees which texts went through it.
std::string Marked(const std::string& english) {
    if (english == "1 SMS, %d of %d characters") {
        return "<%d/%d>";
    }
    return "[" + english + "]";
}

TEST(SendSmsTextsTest, LengthLinesAtThePartBoundaries) {
    const struct {
        const char* name;
        std::string command;
        const char* english;
    } rows[] = {
        {"query", "(A55A#s)", "1 SMS, 8 of 160 characters"},
        {"160 septets", std::string(160, 'a'), "1 SMS, 160 of 160 characters"},
        {"161 septets", std::string(161, 'a'),
         "Sent as 2 SMS (161 characters, 153 per SMS); many DTUs read only single messages"},
        {"an extension character counts two", std::string(159, 'a') + "{",
         "Sent as 2 SMS (161 characters, 153 per SMS); many DTUs read only single messages"},
        {"70 UCS-2 characters", std::string(69, 'a') + "\xe4\xb8\xad", "1 SMS, 70 of 70 characters"},
        {"71 UCS-2 characters", std::string(70, 'a') + "\xe4\xb8\xad",
         "Sent as 2 SMS (71 characters, 67 per SMS); many DTUs read only single messages"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(LengthLine(sms::MeasureSms(row.command), {}), row.english);
    }
    // The numbers are filled into the translation, not into the English text.
    EXPECT_EQ(LengthLine(sms::MeasureSms("(A55A#s)"), Marked), "<8/160>");
}

modem::SendResult Result(int parts, std::vector<std::string> references, modem::Error error = {},
                         std::optional<std::string> reply = std::nullopt) {
    modem::SendResult result;
    result.parts = parts;
    result.references = std::move(references);
    result.error = std::move(error);
    result.reply = std::move(reply);
    return result;
}

TEST(SendSmsTextsTest, OutcomeLinesSayWhatWasSentAndWhatWentWrong) {
    const struct {
        const char* name;
        modem::SendResult result;
        std::vector<std::string> lines;
    } rows[] = {
        {"sent, reply", Result(1, {"17"}, {}, "OK"), {"Sent as 1 SMS (reference 17)", "The DTU replied"}},
        {"sent, no reply asked for", Result(1, {"17"}), {"Sent as 1 SMS (reference 17)"}},
        {"sent in two parts, no reply in time",
         Result(2, {"17", "18"},
                text::Fail(modem::ErrorKind::NoReply, text::kNoReply,
                           {text::Literal("+8613800138000"), text::Number(120)})),
         {"Sent as 2 SMS (reference 17, 18)", "No reply from +8613800138000 within 120 s"}},
        {"second part refused",
         Result(2, {"17"},
                text::Fail(modem::ErrorKind::Refused, text::kRefusedPart,
                           {text::Number(2), text::Number(2), text::Translatable(modem::CmsErrorMeaning(42)),
                            text::Literal("+CMS ERROR: 42")})),
         {"1 of 2 SMS sent (reference 17)",
          "The modem refused part 2 of 2: network congestion; try again later (+CMS ERROR: 42)"}},
        {"nothing sent",
         Result(1, {}, text::Fail(modem::ErrorKind::SimPin, text::kSimPin)),
         {"The SIM card needs its PIN"}},
        {"never composed",
         Result(0, {}, text::Fail(modem::ErrorKind::Cancelled, text::kCancelled)),
         {"Cancelled"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OutcomeLines(row.result, {}), row.lines);
    }
    // The meaning of an error code is translated as well as the sentence around it.
    const modem::SendResult refused =
        Result(1, {},
               text::Fail(modem::ErrorKind::Refused, text::kRefusedPartCode,
                          {text::Number(1), text::Number(1), text::Literal("ERROR")}));
    EXPECT_EQ(OutcomeLines(refused, Marked),
              std::vector<std::string>{"[The modem refused part 1 of 1: ERROR]"});
}

TEST(SendSmsTextsTest, ModemChoicesShowWhatTheSearchFound) {
    const modem::ModemInfo automatic{"auto", "", modem::ModemKind::Automatic, true,
                                     text::Make(text::kStatusAutoSerial, {text::Literal("/dev/ttyUSB2")})};
    EXPECT_EQ(ModemChoiceText(automatic, ModemSearch::NotYet, {}), "Automatic");
    EXPECT_EQ(ModemChoiceText(automatic, ModemSearch::Running, {}), "Automatic \u2014 Searching\u2026");
    EXPECT_EQ(ModemChoiceText(automatic, ModemSearch::Done, {}), "Automatic \u2014 serial port /dev/ttyUSB2");
    const modem::ModemInfo managed{"/org/freedesktop/ModemManager1/Modem/0", "Quectel EC25",
                                   modem::ModemKind::ModemManager, true, text::Make(text::kStatusReady)};
    EXPECT_EQ(ModemChoiceText(managed, ModemSearch::Done, Marked), "Quectel EC25 \u2014 [ready]");
    const modem::ModemInfo port{"/dev/ttyACM0", "", modem::ModemKind::Serial, false,
                                text::Make(text::kStatusHeld)};
    EXPECT_EQ(ModemChoiceText(port, ModemSearch::Done, {}), "/dev/ttyACM0 \u2014 held by ModemManager");
}

// Every English text of modem/Texts.h, read from the header itself, so that a text added there is
// checked without being listed again here.
std::vector<std::string> ModemLibraryTexts() {
    std::ifstream in(DTUSMS_MODEM_TEXTS_HEADER);
    const std::string header((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> texts;
    const std::regex definition(R"re(std::string_view k\w+ =\s*((?:"(?:[^"\\]|\\.)*"\s*)+);)re");
    const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), definition);
         it != std::sregex_iterator(); ++it) {
        std::string joined;
        const std::string literals = (*it)[1];
        for (auto part = std::sregex_iterator(literals.begin(), literals.end(), literal);
             part != std::sregex_iterator(); ++part) {
            joined += (*part)[1];
        }
        texts.push_back(joined);
    }
    return texts;
}

std::vector<std::string> Placeholders(const std::string& text) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '%' && (text[i + 1] == 's' || text[i + 1] == 'd')) {
            found.push_back(text.substr(i, 2));
        }
    }
    return found;
}

// Both Chinese catalogs translate every text the dialog can show: its own, the modem library's and
// every error-code meaning, keeping the placeholders in their order (the modem's messages fill them
// in order, whatever their kind).
TEST(SendSmsTextsTest, BothChineseCatalogsTranslateEveryTextTheDialogCanShow) {
    std::vector<std::string> texts;
    for (std::string_view own : app::sendsms::AllTexts()) {
        texts.emplace_back(own);
    }
    const std::vector<std::string> library = ModemLibraryTexts();
    ASSERT_GE(library.size(), 50u) << "the header could not be read: " << DTUSMS_MODEM_TEXTS_HEADER;
    texts.insert(texts.end(), library.begin(), library.end());
    for (int code = 0; code < 1000; ++code) {
        for (std::string_view meaning : {modem::CmsErrorMeaning(code), modem::CmeErrorMeaning(code)}) {
            if (!meaning.empty()) {
                texts.emplace_back(meaning);
            }
        }
    }

    LanguageFixture f;
    f.StartEngine();
    for (const char* language : {"zh_cn", "zh_tw"}) {
        SCOPED_TRACE(language);
        i18n::DefaultInstance().SelectLanguage(language);
        for (const std::string& english : texts) {
            const std::string translated = i18n::DefaultInstance().Translate(english);
            EXPECT_NE(translated, english) << "no translation of \"" << english << "\"";
            EXPECT_EQ(Placeholders(translated), Placeholders(english)) << english << " -> " << translated;
        }
    }
}

}  // namespace
}  // namespace apptest
