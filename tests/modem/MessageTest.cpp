#include <string>

#include <gtest/gtest.h>

#include "modem/SmsTransport.h"

namespace modem {
namespace {

std::string Shout(const std::string& text) {
    if (text == "The modem refused %s: %s (%s)") {
        return "REFUSED %s -> %s [%s]";
    }
    if (text == "no SIM card") {
        return "NO SIM";
    }
    return text;
}

TEST(RenderMessage, FillsPlaceholdersInOrderAndTranslatesOnlyTheTranslatableArguments) {
    const Message refused{"The modem refused %s: %s (%s)",
                          {{"AT+CPIN?", false}, {"no SIM card", true}, {"+CME ERROR: 10", false}}};
    EXPECT_EQ(RenderMessage(refused), "The modem refused AT+CPIN?: no SIM card (+CME ERROR: 10)");
    EXPECT_EQ(RenderMessage(refused, Shout), "REFUSED AT+CPIN? -> NO SIM [+CME ERROR: 10]");
    // A literal argument that happens to be a catalog text stays as it is.
    EXPECT_EQ(RenderMessage({"%s", {{"no SIM card", false}}}, Shout), "no SIM card");
}

TEST(RenderMessage, LeavesEverythingElseAlone) {
    EXPECT_EQ(RenderMessage({"part %d of %d", {{"1", false}, {"2", false}}}), "part 1 of 2");
    EXPECT_EQ(RenderMessage({"100%% of %d", {{"3", false}}}), "100% of 3");
    EXPECT_EQ(RenderMessage({"%s and %s", {{"one", false}}}), "one and %s");
    EXPECT_EQ(RenderMessage({"%x %s %", {{"a", false}}}), "%x a %");
    // An argument holding a placeholder is not filled again.
    EXPECT_EQ(RenderMessage({"%s %s", {{"%s", false}, {"b", false}}}), "%s b");
    EXPECT_EQ(RenderMessage({"no placeholders", {{"dropped", false}}}), "no placeholders");
}

TEST(RenderMessage, ATranslationMayPutTheNumbersBeforeTheTexts) {
    // As a Chinese sentence orders "The modem on %s did not answer %s within %d s".
    const Message timeout{"The modem on %s did not answer %s within %d s",
                          {{"COM3", false}, {"AT+CMGS", false}, {"30", false}}};
    const auto reordered = [](const std::string& english) {
        return english == "The modem on %s did not answer %s within %d s" ? std::string("%d s: %s / %s")
                                                                          : english;
    };
    EXPECT_EQ(RenderMessage(timeout, reordered), "30 s: COM3 / AT+CMGS");
    EXPECT_EQ(RenderMessage(timeout), "The modem on COM3 did not answer AT+CMGS within 30 s");
}

TEST(FormatLogEntry, StampsAndMarksTheDirection) {
    EXPECT_EQ(FormatLogEntry({12345, LogEntry::Direction::ToModem, "AT+CMGS=23"}),
              "[  12.345] >> AT+CMGS=23");
    EXPECT_EQ(FormatLogEntry({7, LogEntry::Direction::FromModem, "OK"}), "[   0.007] << OK");
    EXPECT_EQ(FormatLogEntry({1234567, LogEntry::Direction::Note, "opened"}), "[1234.567] -- opened");
}

}  // namespace
}  // namespace modem
