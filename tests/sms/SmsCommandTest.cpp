#include "sms/SmsCommand.h"

#include <string>

#include <gtest/gtest.h>

namespace sms {
namespace {

TGPRSInfo Fields(int mode, std::string ip, std::string domain, int port, int apn, std::string other,
                 std::string dtu, int type = 0) {
    TGPRSInfo info;
    info.ServerAddressMode = mode;
    info.StaticIP = std::move(ip);
    info.DomainAddress = std::move(domain);
    info.Port = port;
    info.ServiceNetwork = apn;
    info.OtherAPN = std::move(other);
    info.DTUNumber = std::move(dtu);
    info.SMSCommandType = type;
    return info;
}

struct Row {
    const char* shows;
    TGPRSInfo info;
    bool ok;
    std::string text;  // the command when ok, else the failing label
};

TEST(SmsCommandTest, ComposesOrNamesTheFirstMissingField) {
    const Row rows[] = {
        {"static IP, CMNET", Fields(0, "192.168.1.100", "", 6000, 0, "", "TQ-GP000001"), true,
         "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)"},
        {"domain, Other APN", Fields(1, "", "myserver", 8000, 3, "myapn", "TQ-GP000002"), true,
         "(A55A#2*myserver*8000#3*myapn#4*TQ-GP000002)"},
        {"CMWAP ignores Other", Fields(0, "1.2.3.4", "", 1000, 1, "ignored", "D"), true,
         "(A55A#1*1.2.3.4*1000#3*CMWAP#4*D)"},
        {"UNINET", Fields(0, "1.2.3.4", "", 99999, 2, "", "D"), true, "(A55A#1*1.2.3.4*99999#3*UNINET#4*D)"},
        {"blanks and controls trimmed, inner kept",
         Fields(1, "", " \t my host\r\n", 6000, 3, "\x01 a p n\x1f", "\tTQ 1 "), true,
         "(A55A#2*my host*6000#3*a p n#4*TQ 1)"},
        {"multibyte characters kept",
         Fields(1, "", " \xe4\xb8\xad\xe5\x9b\xbd ", 6000, 3, "\xc3\xa9", "\xe4\xb8\xad"), true,
         "(A55A#2*\xe4\xb8\xad\xe5\x9b\xbd*6000#3*\xc3\xa9#4*\xe4\xb8\xad)"},
        {"separators copied unchanged", Fields(0, "a*b", "", 6000, 3, "#3*", ")"), true,
         "(A55A#1*a*b*6000#3*#3*#4*))"},
        {"static mode ignores empty domain", Fields(0, "1.1.1.1", "", 6000, 0, "", "D"), true,
         "(A55A#1*1.1.1.1*6000#3*CMNET#4*D)"},
        {"domain mode ignores empty IP", Fields(1, "  ", "h", 6000, 0, "", "D"), true,
         "(A55A#2*h*6000#3*CMNET#4*D)"},
        {"APN without selection is empty", Fields(0, "1.1.1.1", "", 6000, -1, "x", "D"), true,
         "(A55A#1*1.1.1.1*6000#3*#4*D)"},
        {"APN index past the list is empty", Fields(0, "1.1.1.1", "", 6000, 4, "", "D"), true,
         "(A55A#1*1.1.1.1*6000#3*#4*D)"},
        {"static IP of only spaces", Fields(0, "   ", "h", 6000, 0, "", "D"), false, "Static IP"},
        {"static IP first of two missing", Fields(0, "", "", 6000, 0, "", ""), false, "Static IP"},
        {"domain missing", Fields(1, "1.1.1.1", " \t", 6000, 3, "", ""), false, "Domain address"},
        {"Other APN blank", Fields(0, "1.1.1.1", "", 6000, 3, " \t ", "D"), false, "Service network(APN)"},
        {"Other APN before DTU", Fields(0, "1.1.1.1", "", 6000, 3, "", ""), false, "Service network(APN)"},
        {"DTU missing", Fields(1, "", "h", 6000, 0, "", "\r\n"), false, "DTU number"},
        {"mode without selection: checks run, result empty", Fields(-1, "", "", 6000, 0, "", "D"), true, ""},
        {"mode without selection still fails on DTU", Fields(2, "", "", 6000, 0, "", ""), false,
         "DTU number"},
        {"mode without selection still fails on APN", Fields(5, "", "", 6000, 3, "", "D"), false,
         "Service network(APN)"},
        {"running query ignores every field", Fields(0, "", "", 6000, 3, "", "", 1), true, "(A55A#s)"},
        {"type without selection is empty", Fields(0, "", "", 6000, 3, "", "", -1), true, ""},
        {"type past the list is empty", Fields(0, "1.1.1.1", "", 6000, 0, "", "D", 2), true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        const SmsCommandResult result = GenerateSMSCommand(row.info);
        EXPECT_EQ(result.ok, row.ok);
        EXPECT_EQ(row.ok ? result.command : result.failedLabel, row.text);
        EXPECT_EQ(row.ok ? result.failedLabel : result.command, "");
    }
}

TEST(SmsCommandTest, ExampleCommandHasFortyNineCharacters) {
    const SmsCommandResult result =
        GenerateSMSCommand(Fields(0, "192.168.1.100", "", 6000, 0, "", "TQ-GP000001"));
    EXPECT_EQ(result.command.size(), 49u);
}

TEST(SmsCommandTest, TrimRemovesEveryByteUpToSpace) {
    std::string allLow;
    for (int c = 1; c <= 32; ++c) {
        allLow += static_cast<char>(c);
    }
    const std::string inner = "a" + allLow + "b";
    const SmsCommandResult trimmed = GenerateSMSCommand(
        Fields(1, "", allLow + inner + allLow, 6000, 3, std::string("\0x\0", 3), "\x7f\xc2\xa0"));
    EXPECT_EQ(trimmed.command, "(A55A#2*" + inner + "*6000#3*x#4*\x7f\xc2\xa0)");
    EXPECT_EQ(GenerateSMSCommand(Fields(0, allLow, "", 6000, 0, "", "D")).failedLabel, "Static IP");
}

TEST(SmsCommandTest, ValidationMessageJoinsTranslatedPieces) {
    EXPECT_EQ(FormatValidationMessage({}, "Static IP"), "Please enter valid \"Static IP\"");
    const base::TranslateFn upper = [](const std::string& text) { return "<" + text + ">"; };
    EXPECT_EQ(FormatValidationMessage(upper, "DTU number"), "<Please enter valid> \"<DTU number>\"");
}

}  // namespace
}  // namespace sms
