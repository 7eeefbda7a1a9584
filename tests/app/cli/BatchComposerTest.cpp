#include "app/cli/BatchComposer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace app {
namespace {

using Cells = std::vector<std::string>;

sms::TGPRSInfo Defaults() {
    sms::TGPRSInfo info;
    info.SMSCommandType = 0;
    info.ServerAddressMode = 0;
    info.StaticIP = "10.0.0.1";
    info.DomainAddress = "stored.example";
    info.Port = 6000;
    info.ServiceNetwork = 0;
    info.DTUNumber = "TQ-GP000001";
    info.DTUPhoneNumber = "+86 138 0013 8000";
    return info;
}

// Marks every translated text, so that the tests see which texts went through the translation.
std::string Marked(const std::string& english) {
    return "<" + english + ">";
}

const fleet::BatchTable kTable({"DTU", "phone", "type", "mode", "ip", "domain", "port", "apn", "other_apn",
                                "site"});

// A row that gives no field, only a note: every field comes from the settings file.
const Cells kNoteOnly{"", "", "", "", "", "", "", "", "", "pier 3"};

TEST(BatchComposerTest, CellsReplaceTheSettingsAsTheFlagsDo) {
    const BatchComposer composer(Defaults(), false, Marked);
    const struct {
        Cells cells;
        std::string command;
        std::string parts;
        std::string status;
        std::string phone;
    } rows[] = {
        {kNoteOnly, "(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-GP000001)", "1", "ok", ""},
        {{"TQ-7", "", "", "", "", "", "", "", "", "pier 3"},
         "(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-7)",
         "1",
         "ok",
         ""},
        {{" TQ-8 ", "13800138000", "CONFIG", "domain", "", "my.host", "08000", " cmwap ", "", ""},
         "(A55A#2*my.host*8000#3*CMWAP#4*TQ-8)",
         "1",
         "ok",
         "13800138000"},
        {{"", "", "query"}, "(A55A#s)", "1", "ok", ""},
        {{"", "", "", "", "", "", "", "other", "myapn"},
         "(A55A#1*10.0.0.1*6000#3*myapn#4*TQ-GP000001)",
         "1",
         "ok",
         ""},
        {{std::string(200, 'D')},
         "(A55A#1*10.0.0.1*6000#3*CMNET#4*" + std::string(200, 'D') + ")",
         "2",
         "ok",
         ""},
        {{"北京-01"}, "(A55A#1*10.0.0.1*6000#3*CMNET#4*北京-01)", "1", "ok", ""},
        // Refused cells, the first refused field named; nothing composed.
        {{"", "", "conf"}, "", "", "<column type: \"conf\" is not one of config|query>", ""},
        {{"", "", "", "", "", "", "999"},
         "",
         "",
         "<column port: \"999\" is not a number from 1000 to 99999>",
         ""},
        {{"", "", "", "dynamic", "", "", "abc"},
         "",
         "",
         "<column mode: \"dynamic\" is not one of static|domain>",
         ""},
        // A field the command needs is missing: the validation message, translated.
        {{"", "", "", "", "", "", "", "other"},
         "",
         "",
         "<Please enter valid> \"<Service network(APN)>\"",
         ""},
        // An empty cell takes the settings file's field: here the stored domain.
        {{"", "", "", "domain", "", " "},
         "(A55A#2*stored.example*6000#3*CMNET#4*TQ-GP000001)",
         "1",
         "ok",
         ""},
        // A phone cell that is given must be valid even when nothing needs it.
        {{"", " 1.38E+10 "},
         "(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-GP000001)",
         "1",
         "<column phone: \"1.38E+10\" is not a phone number>",
         ""},
    };
    for (const auto& row : rows) {
        const BatchComposition composed = composer.Compose(kTable.Row(row.cells, 1, 2));
        EXPECT_EQ(composed.result.command, row.command) << row.cells.size();
        EXPECT_EQ(composed.result.parts, row.parts) << row.command;
        EXPECT_EQ(composed.result.status, row.status) << row.command;
        EXPECT_EQ(composed.ok, row.status == "ok") << row.command;
        EXPECT_EQ(composed.phone, row.phone) << row.command;
    }
}

TEST(BatchComposerTest, RefusalsNameTheColumnAndTheValueInTheChosenLanguage) {
    const BatchComposer english(Defaults(), false, {});
    const struct {
        Cells cells;
        std::string status;
    } rows[] = {
        {{"", "", " Conf "}, "column type: \"Conf\" is not one of config|query"},
        {{"", "", "", "", "", "", "100000"}, "column port: \"100000\" is not a number from 1000 to 99999"},
        {{"", "", "", "", "", "", "", "chinanet"},
         "column apn: \"chinanet\" is not one of cmnet|cmwap|uninet|other"},
        {{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "not empty"},
         "the row has 11 cells but the header names 10 columns"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(english.Compose(kTable.Row(row.cells, 1, 2)).result.status, row.status);
    }
}

TEST(BatchComposerTest, AQrCodeOrASendingNeedsAValidPhoneNumber) {
    sms::TGPRSInfo noStoredPhone = Defaults();
    noStoredPhone.DTUPhoneNumber = "";
    const struct {
        std::string stored;
        Cells cells;
        std::string phone;  // empty: the row is refused for its number
        std::string status;
    } rows[] = {
        {"+86 138 0013 8000", kNoteOnly, "+8613800138000", "ok"},
        {"+86 138 0013 8000", {"", "(010) 1234-5678"}, "01012345678", "ok"},
        {"", {"", "+44 (0)20 7946 0000"}, "+442079460000", "ok"},
        {"", kNoteOnly, "", "Please enter valid \"DTU phone number\""},
        {"12", kNoteOnly, "", "Please enter valid \"DTU phone number\""},
        {"", {"", "12a45"}, "", "column phone: \"12a45\" is not a phone number"},
        {"",
         {"", std::string(21, '1')},
         "",
         "column phone: \"" + std::string(21, '1') + "\" is not a phone number"},
    };
    for (const auto& row : rows) {
        sms::TGPRSInfo defaults = Defaults();
        defaults.DTUPhoneNumber = row.stored;
        const BatchComposer composer(defaults, true, {});
        const BatchComposition composed = composer.Compose(kTable.Row(row.cells, 1, 2));
        EXPECT_EQ(composed.phone, row.phone) << row.stored;
        EXPECT_EQ(composed.ok, !row.phone.empty()) << row.stored;
        EXPECT_EQ(composed.result.status, row.status) << row.stored;
    }
    // Composing alone needs no number.
    EXPECT_TRUE(BatchComposer(noStoredPhone, false, {}).Compose(kTable.Row(kNoteOnly, 1, 2)).ok);
}

TEST(BatchComposerTest, ABlankSpreadsheetRowIsSkippedNotComposedFromTheSettings) {
    const BatchComposer composer(Defaults(), true, {});
    for (const Cells& cells : {Cells{}, Cells{"", "", "", "", "", "", "", "", "", ""}, Cells{" ", "\t", ""},
                               Cells{"", "", "", "", "", "", "", "", "", "", "", ""}}) {
        const BatchComposition composed = composer.Compose(kTable.Row(cells, 1, 2));
        EXPECT_TRUE(composed.skipped) << cells.size();
        EXPECT_FALSE(composed.ok) << cells.size();
        EXPECT_EQ(composed.result.status, "skipped: empty row");
        EXPECT_EQ(composed.result.command, "");
        EXPECT_EQ(composed.phone, "");
    }
    // Extra cells that are not blank make a refused row, not an empty one.
    const BatchComposition overlong =
        composer.Compose(kTable.Row({"", "", "", "", "", "", "", "", "", "", "x"}, 1, 2));
    EXPECT_FALSE(overlong.skipped);
    EXPECT_EQ(overlong.result.status, "the row has 11 cells but the header names 10 columns");
}

}  // namespace
}  // namespace app
