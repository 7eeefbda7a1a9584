#include "fleet/ResumeLedger.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fleet/BatchTable.h"
#include "fleet/CsvWriter.h"

namespace fleet {
namespace {

using Records = std::vector<std::vector<std::string>>;

const BatchTable kTable({"dtu", "site"});
constexpr std::size_t kReplyColumn = 6;

// An earlier output with these rows: input cells, then status and sent.
std::string EarlierOutput(const Records& rows) {
    std::string text;
    AppendCsvRecord(text, kTable.OutputHeader(true));
    for (const auto& row : rows) {
        BatchResult result;
        result.command = "(A55A#s)";
        result.parts = "1";
        result.status = row[2];
        result.sent = row[3];
        result.reply = "reply of " + row[0];
        result.modem = "/dev/ttyUSB0";
        AppendCsvRecord(text, kTable.OutputRow(kTable.Row({row[0], row[1]}, 0, 0), result, true));
    }
    return text;
}

ResumeLedger Load(const std::string& text) {
    std::istringstream in(text);
    CsvInput input(in, EncodingChoice::Utf8);
    return ResumeLedger::Load(input, kTable.OutputHeader(true), kTable.OutputHeader(false), 2);
}

// For each input row: the reply kept from the earlier output, or "send" when it is to be sent now.
std::string Plan(ResumeLedger& ledger, const Records& input) {
    std::string plan;
    for (const auto& cells : input) {
        const auto kept = ledger.Take(cells);
        plan += (plan.empty() ? "" : ", ") + (kept ? kept->at(kReplyColumn) : std::string("send"));
    }
    return plan;
}

void Check(const ResumeLedger& ledger, const Records& input) {
    std::size_t next = 0;
    ledger.Check([&](std::vector<std::string>& cells) {
        if (next == input.size()) {
            return false;
        }
        cells = input[next++];
        return true;
    });
}

const std::string kEarlier = EarlierOutput({
    {"A", "one", "ok", "11"},
    {"B", "two", "ok", "no modem"},
    {"C", "three", "Please enter valid \"DTU number\"", ""},
    {"D", "four", "ok", "12 13"},
    {"D", "four", "ok", "14"},
});

TEST(ResumeLedgerTest, KeepsSentRowsAndSendsTheRest) {
    struct Row {
        const char* name;
        Records input;
        std::string plan;
    };
    const Row rows[] = {
        {"unchanged input",
         {{"A", "one"}, {"B", "two"}, {"C", "three"}, {"D", "four"}, {"D", "four"}, {"E", "five"}},
         "reply of A, send, send, reply of D, reply of D, send"},
        {"row inserted in front",
         {{"N", "new"}, {"A", "one"}, {"D", "four"}, {"D", "four"}},
         "send, reply of A, reply of D, reply of D"},
        {"reordered",
         {{"D", "four"}, {"B", "two"}, {"D", "four"}, {"A", "one"}},
         "reply of D, send, reply of D, reply of A"},
        {"a third equal row is new",
         {{"A", "one"}, {"D", "four"}, {"D", "four"}, {"D", "four"}},
         "reply of A, reply of D, reply of D, send"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResumeLedger ledger = Load(kEarlier);
        EXPECT_EQ(3u, ledger.SentRows());
        EXPECT_NO_THROW(Check(ledger, row.input));
        EXPECT_EQ(row.plan, Plan(ledger, row.input));
        EXPECT_EQ(0u, ledger.SentRows());
    }
    // The kept row is the earlier output row whole.
    ResumeLedger ledger = Load(kEarlier);
    EXPECT_EQ(
        (std::vector<std::string>{"D", "four", "(A55A#s)", "1", "ok", "12 13", "reply of D", "/dev/ttyUSB0"}),
        ledger.Take({"D", "four"}));
}

TEST(ResumeLedgerTest, RefusesWhenASentRowWouldBeLost) {
    struct Row {
        const char* name;
        Records input;
        std::string message;
    };
    const Row rows[] = {
        {"sent row removed", {{"B", "two"}, {"C", "three"}, {"D", "four"}, {"D", "four"}}, "line 2 "},
        {"sent row edited", {{"A", "ONE"}, {"D", "four"}, {"D", "four"}}, "line 2 "},
        {"one of two equal rows removed", {{"A", "one"}, {"D", "four"}}, "line 6 "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ResumeLedger ledger = Load(kEarlier);
        try {
            Check(ledger, row.input);
            ADD_FAILURE() << "no error";
        } catch (const ResumeError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(row.message)) << error.what();
        }
        // Check changes nothing: every sent row is still there.
        EXPECT_EQ(3u, ledger.SentRows());
    }
}

TEST(ResumeLedgerTest, EarlierOutputsOfOtherShapes) {
    EXPECT_EQ(0u, Load("").SentRows());

    std::string composedOnly;
    AppendCsvRecord(composedOnly, kTable.OutputHeader(false));
    AppendCsvRecord(composedOnly, {"A", "one", "(A55A#s)", "1", "ok"});
    EXPECT_EQ(0u, Load(composedOnly).SentRows());

    // Rows cut short (a hand edit) are read with empty cells, so they count as not sent.
    EXPECT_EQ(0u, Load(EarlierOutput({}) + "A,one,(A55A#s),1,ok\r\n").SentRows());

    // An output of a run that did not name its modem: its sent rows are kept, the modem cell empty.
    std::vector<std::string> withoutModem = kTable.OutputHeader(true);
    withoutModem.pop_back();
    std::string singleModem;
    AppendCsvRecord(singleModem, withoutModem);
    AppendCsvRecord(singleModem, {"A", "one", "(A55A#s)", "1", "ok", "11", "OK"});
    ResumeLedger earlier = Load(singleModem);
    EXPECT_EQ(1u, earlier.SentRows());
    EXPECT_EQ((std::vector<std::string>{"A", "one", "(A55A#s)", "1", "ok", "11", "OK", ""}),
              earlier.Take({"A", "one"}));
    // Only the modem column may be missing.
    std::vector<std::string> withoutReply = kTable.OutputHeader(true);
    withoutReply.erase(withoutReply.end() - 2);
    std::string noReply;
    AppendCsvRecord(noReply, withoutReply);
    EXPECT_THROW(Load(noReply), ResumeError);

    std::string otherInput;
    AppendCsvRecord(otherInput, BatchTable({"dtu", "site", "note"}).OutputHeader(true));
    EXPECT_THROW(Load(otherInput), ResumeError);
    EXPECT_THROW(Load("\"unclosed\r\n"), CsvError);
}

}  // namespace
}  // namespace fleet
