#include "fleet/BatchTable.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fleet/CsvInput.h"
#include "tests/fleet/FleetTestSupport.h"

namespace fleet {
namespace {

using fleettest::FixturePath;
using fleettest::Join;

std::string Cells(const BatchRow& row) {
    std::string out;
    for (std::size_t k = 0; k < kBatchColumnCount; ++k) {
        const auto cell = row.Cell(static_cast<BatchColumn>(k));
        out += std::string(k > 0 ? " " : "") + std::string(ColumnName(static_cast<BatchColumn>(k))) + "=" +
               std::string(cell.value_or("-"));
    }
    return out;
}

TEST(BatchTableTest, MapsKnownColumnsByNameAndKeepsTheOthers) {
    CsvInput input(FixturePath("unknown-and-missing-columns.csv"), EncodingChoice::Detect);
    std::vector<std::string> record;
    ASSERT_TRUE(input.Next(record));
    const BatchTable table(record);
    EXPECT_TRUE(table.Has(BatchColumn::Dtu));
    EXPECT_TRUE(table.Has(BatchColumn::Port));
    EXPECT_FALSE(table.Has(BatchColumn::Phone));

    std::vector<std::string> rows;
    for (std::size_t number = 1; input.Next(record); ++number) {
        const BatchRow row = table.Row(record, number, input.RecordLine());
        rows.push_back(Cells(row));
        EXPECT_EQ(std::nullopt, row.problem);
        EXPECT_EQ(record, row.cells);
    }
    // A missing column and an empty cell both leave the field to the settings file.
    EXPECT_EQ((std::vector<std::string>{
                  "dtu=TQ-GP000001 phone=- type=- mode=- ip=- domain=- port=6000 apn=- other_apn=-",
                  "dtu=- phone=- type=- mode=- ip=- domain=- port=- apn=- other_apn=-"}),
              rows);
    EXPECT_EQ(" Site |DTU|Port|Note|command|parts|status", Join({table.OutputHeader(false)}));
    EXPECT_EQ(" Site |DTU|Port|Note|command|parts|status|sent|reply|modem", Join({table.OutputHeader(true)}));
}

TEST(BatchTableTest, HeaderNamesIgnoreCaseAndBlanksAndMayNotRepeat) {
    const BatchTable table({"  OTHER_APN\t", "Apn", "Domain", "IP", "MODE", "Type", "Phone", "PORT", "dtu"});
    for (std::size_t k = 0; k < kBatchColumnCount; ++k) {
        EXPECT_TRUE(table.Has(static_cast<BatchColumn>(k))) << ColumnName(static_cast<BatchColumn>(k));
    }
    const BatchRow row =
        table.Row({"myapn", "other", "d.example", "10.0.0.1", "static", "config", "138", "6000", "TQ"}, 1, 2);
    EXPECT_EQ(
        "dtu=TQ phone=138 type=config mode=static ip=10.0.0.1 domain=d.example port=6000 apn=other "
        "other_apn=myapn",
        Cells(row));

    struct Row {
        std::vector<std::string> header;
        std::string message;
    };
    const Row rows[] = {
        {{"dtu", "site", " DTU "}, "columns 1 and 3 are both named \"dtu\""},
        {{"Port", "port"}, "columns 1 and 2 are both named \"port\""},
        {{""}, "the file has no header row naming its columns"},
        {{}, "the file has no header row naming its columns"},
        {{"TQ-GP000001", "13800138000"},
         "the first row names none of the columns dtu, phone, type, mode, ip, domain, port, apn, other_apn "
         "(is "
         "the header row missing?)"},
    };
    for (const Row& bad : rows) {
        try {
            BatchTable failing(bad.header);
            ADD_FAILURE() << "no error for " << bad.message;
        } catch (const BatchError& error) {
            EXPECT_EQ(bad.message, std::string(error.what()));
        }
    }
    // Columns that only look like the result columns are carried through like any other.
    EXPECT_EQ("dtu|status|command|parts|status", Join({BatchTable({"dtu", "status"}).OutputHeader(false)}));
}

TEST(BatchTableTest, RowsOfOtherWidthsAndBlankCells) {
    const BatchTable table({"dtu", "ip", "site"});
    struct Row {
        const char* name;
        std::vector<std::string> cells;
        std::string kept;
        std::string dtu;
        std::optional<std::string> problem;
    };
    const Row rows[] = {
        {"short row", {"TQ"}, "TQ||", "TQ", std::nullopt},
        {"blank cell is no value", {"  ", "10.0.0.1", "x"}, "  |10.0.0.1|x", "-", std::nullopt},
        {"cell kept with its blanks", {" TQ ", "", ""}, " TQ ||", " TQ ", std::nullopt},
        {"empty extra cells", {"TQ", "", "", "", " "}, "TQ||", "TQ", std::nullopt},
        {"extra cell with text",
         {"TQ", "", "", "lost?"},
         "TQ||",
         "TQ",
         "the row has 4 cells but the header names 3 columns"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const BatchRow read = table.Row(row.cells, 7, 9);
        EXPECT_EQ(row.kept, Join({read.cells}));
        EXPECT_EQ(row.dtu, read.Cell(BatchColumn::Dtu).value_or("-"));
        EXPECT_EQ(row.problem, read.problem);
        EXPECT_EQ(7u, read.number);
        EXPECT_EQ(9u, read.line);
    }
}

TEST(BatchTableTest, OutputRowsFollowTheOutputHeader) {
    const BatchTable table({"site", "dtu"});
    const BatchRow row = table.Row({"Harbour"}, 1, 2);
    BatchResult result;
    result.command = "(A55A#s)";
    result.parts = "1";
    result.status = std::string(kStatusOk);
    result.sent = FormatSentReferences({17, 18});
    result.reply = "OK";
    result.modem = "/dev/ttyUSB0";
    EXPECT_EQ("Harbour||(A55A#s)|1|ok", Join({table.OutputRow(row, result, false)}));
    EXPECT_EQ("Harbour||(A55A#s)|1|ok|17 18|OK|/dev/ttyUSB0", Join({table.OutputRow(row, result, true)}));
    EXPECT_EQ(table.OutputHeader(true).size(), table.OutputRow(row, result, true).size());
}

TEST(BatchTableTest, AReplyThatASpreadsheetWouldRunAsAFormulaIsWrittenAsText) {
    const BatchTable table({"dtu"});
    const struct {
        std::string reply;
        std::string written;
    } rows[] = {
        {"=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")"},
        {"+1+1", "'+1+1"},
        {"-2", "'-2"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "'\r=1"},
        {"OK =1", "OK =1"},
        {"'quoted", "'quoted"},
        {"", ""},
    };
    for (const auto& row : rows) {
        BatchResult result;
        result.reply = row.reply;
        const std::vector<std::string> written = table.OutputRow(table.Row({"A"}, 1, 2), result, true);
        EXPECT_EQ(written[written.size() - 2], row.written);
    }
}

TEST(BatchTableTest, SentCellsHoldReferencesOrAnError) {
    struct Row {
        std::string cell;
        bool sent;
    };
    const Row rows[] = {
        {"17", true},
        {"17 18 19", true},
        {"0", true},
        {"", false},
        {" 17", false},
        {"17 ", false},
        {"17  18", false},
        {"-1", false},
        {"no modem", false},
        {"发送失败 2", false},
        {"/org/freedesktop/ModemManager1/SMS/4", true},
        {"/org/freedesktop/ModemManager1/SMS/4 /org/freedesktop/ModemManager1/SMS/5", true},
        {"/org/freedesktop/ModemManager1/SMS/", false},
        {"/org/freedesktop/ModemManager1/Modem/0", false},
        {"/org/freedesktop/ModemManager1/SMS/4x", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.sent, IsSentReferences(row.cell)) << '"' << row.cell << '"';
    }
    EXPECT_EQ("3 200", FormatSentReferences({3, 200}));
    EXPECT_TRUE(IsSentReferences(FormatSentReferences({3, 200})));
    EXPECT_EQ("17 /org/freedesktop/ModemManager1/SMS/2",
              FormatSentReferences(std::vector<std::string>{"17", "/org/freedesktop/ModemManager1/SMS/2"}));
}

}  // namespace
}  // namespace fleet
