#include "fleet/CsvReader.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fleet/FleetTestSupport.h"

namespace fleet {
namespace {

using fleettest::FixturePath;
using fleettest::Join;
using fleettest::ReadBytes;

struct ReadResult {
    std::vector<std::vector<std::string>> records;
    std::vector<std::size_t> lines;
};

ReadResult ReadAll(const std::string& bytes, CsvLimits limits = {}) {
    std::istringstream in(bytes);
    CsvReader reader(in, limits);
    ReadResult result;
    std::vector<std::string> fields;
    while (reader.Next(fields)) {
        result.records.push_back(fields);
        result.lines.push_back(reader.RecordLine());
    }
    return result;
}

TEST(CsvReaderTest, ReadsQuotedFieldsLineEndsAndLastLineWithoutEnd) {
    struct Row {
        const char* name;
        std::string input;
        std::string records;
    };
    const Row rows[] = {
        {"plain CRLF", "a,b\r\nc,d\r\n", "a|b / c|d"},
        {"plain LF", "a,b\nc,d\n", "a|b / c|d"},
        {"lone CR", "a,b\rc,d\r", "a|b / c|d"},
        {"no final line end", "a,b\r\nc,d", "a|b / c|d"},
        {"empty fields", ",a,,\r\n", "|a||"},
        {"quoted comma", "\"a,b\",c\r\n", "a,b|c"},
        {"doubled quote", "\"say \"\"hi\"\"\",x\r\n", "say \"hi\"|x"},
        {"only a doubled quote", "\"\"\"\"\r\n", "\""},
        {"empty quoted field", "\"\",x\r\n", "|x"},
        {"quoted line breaks kept", "\"1\r\n2\n3\r4\",x\r\n", "1\r\n2\n3\r4|x"},
        {"quoted last field at end", "a,\"b\"", "a|b"},
        {"trailing comma at end", "a,", "a|"},
        {"blanks kept", " a , b \r\n", " a | b "},
        {"empty lines skipped", "\r\n\r\na\r\n\n\rb\r\n\r\n", "a / b"},
        {"UTF-8 mark dropped",
         "\xEF\xBB\xBF"
         "a,b\r\n",
         "a|b"},
        {"GB18030 mark dropped",
         "\x84\x31\x95\x33"
         "a\r\n",
         "a"},
        {"mark only at the start",
         "a\r\n\xEF\xBB\xBF"
         "b\r\n",
         "a / \xEF\xBB\xBF"
         "b"},
        {"nothing", "", ""},
        {"only line ends", "\r\n\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.records, Join(ReadAll(row.input).records));
    }
}

TEST(CsvReaderTest, TheHeaderLineDecidesTheSeparator) {
    const struct {
        std::string bytes;
        std::string records;  // fields joined by |, records by " / "
        char separator;
    } rows[] = {
        {"dtu;site\r\nTQ-1;\"Pier 3; east gate\"\r\n", "dtu|site / TQ-1|Pier 3; east gate", ';'},
        {"dtu\tsite\nTQ-1\tPier, 3\n", "dtu|site / TQ-1|Pier, 3", '\t'},
        {"dtu,site\nTQ-1,a;b\n", "dtu|site / TQ-1|a;b", ','},
        // Separators inside the header's quotes do not count; a tie keeps the comma.
        {"\"a;b;c\",dtu\nx,TQ-1\n", "a;b;c|dtu / x|TQ-1", ','},
        {"dtu;ip,port\n1;2,3\n", "dtu;ip|port / 1;2|3", ','},
        {"dtu\nTQ-1;x\n", "dtu / TQ-1;x", ','},
        {std::string("\xEF\xBB\xBF") + "dtu;ip\r\nA;B\r\n", "dtu|ip / A|B", ';'},
    };
    for (const auto& row : rows) {
        std::istringstream in(row.bytes);
        CsvReader reader(in);
        std::vector<std::vector<std::string>> records;
        std::vector<std::string> fields;
        while (reader.Next(fields)) {
            records.push_back(fields);
        }
        EXPECT_EQ(fleettest::Join(records), row.records);
        EXPECT_EQ(reader.Separator(), row.separator) << row.bytes;
    }
    // After a closing quote only the file's own separator may follow.
    EXPECT_THROW(ReadAll("a;b\n\"x\",y\n"), CsvError);
}

TEST(CsvReaderTest, CountsLinesThroughQuotedLineBreaksAndEmptyLines) {
    const ReadResult result = ReadAll(ReadBytes(FixturePath("quotes-and-breaks.csv")));
    EXPECT_EQ(
        "dtu|phone|site / TQ-GP000001|13800138000|Harbour, pier 3 / TQ-GP000002|13800138001|Say \"hello\" / "
        "TQ-GP000003|13800138002|first line\r\nsecond line / TQ-GP000004|| / "
        "TQ-GP000005|13800138004|last line without a line end",
        Join(result.records));
    EXPECT_EQ((std::vector<std::size_t>{1, 2, 3, 4, 6, 7}), result.lines);

    const ReadResult mixed = ReadAll(ReadBytes(FixturePath("lf-and-cr-line-ends.csv")));
    EXPECT_EQ("dtu|port / A|6000 / B|6001 / C|6002", Join(mixed.records));
    EXPECT_EQ((std::vector<std::size_t>{1, 2, 3, 6}), mixed.lines);
}

TEST(CsvReaderTest, RefusesMalformedInputNamingTheLine) {
    struct Row {
        const char* name;
        std::string input;
        CsvError::Kind kind;
        std::size_t line;
    };
    const Row rows[] = {
        {"unbalanced-quote.csv", ReadBytes(FixturePath("unbalanced-quote.csv")),
         CsvError::Kind::UnbalancedQuote, 3},
        {"quote-in-unquoted-field.csv", ReadBytes(FixturePath("quote-in-unquoted-field.csv")),
         CsvError::Kind::QuoteInUnquotedField, 3},
        {"text-after-closing-quote.csv", ReadBytes(FixturePath("text-after-closing-quote.csv")),
         CsvError::Kind::TextAfterClosingQuote, 2},
        {"binary-garbage.bin", ReadBytes(FixturePath("binary-garbage.bin")), CsvError::Kind::NulByte, 3},
        {"utf16le.csv", ReadBytes(FixturePath("utf16le.csv")), CsvError::Kind::NulByte, 1},
        {"blank after closing quote", "a\r\n\"b\" ,c\r\n", CsvError::Kind::TextAfterClosingQuote, 2},
        {"NUL inside quotes, after a quoted break", std::string("\"a\r\nb\0c\"\r\n", 10),
         CsvError::Kind::NulByte, 2},
        {"quote opened in a later field", "a,b\r\nc,\"d", CsvError::Kind::UnbalancedQuote, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            ReadAll(row.input);
            ADD_FAILURE() << "no error";
        } catch (const CsvError& error) {
            EXPECT_EQ(row.kind, error.kind());
            EXPECT_EQ(row.line, error.line());
            EXPECT_TRUE(std::string(error.what()).starts_with("line " + std::to_string(row.line) + ": "))
                << error.what();
            if (row.kind == CsvError::Kind::NulByte) {
                EXPECT_TRUE(std::string(error.what())
                                .ends_with(": not a CSV file (it holds NUL bytes: binary data, or UTF-16 "
                                           "text without a byte-order mark)"));
            }
        }
    }
}

TEST(CsvReaderTest, LimitsStopRunawayFieldsAndRecords) {
    CsvLimits small;
    small.maxFieldBytes = 10;
    small.maxFields = 3;
    small.maxRecordBytes = 20;
    struct Row {
        const char* name;
        std::string input;
        CsvError::Kind kind;
        std::size_t line;
    };
    const Row rows[] = {
        {"long unquoted field", "x\r\n" + std::string(11, 'a'), CsvError::Kind::FieldTooLong, 2},
        {"long quoted field", "x\r\n\"" + std::string(11, 'a') + "\"", CsvError::Kind::FieldTooLong, 2},
        {"missing closing quote on a long tail", "\"" + std::string(100, 'a'), CsvError::Kind::FieldTooLong,
         1},
        {"too many fields", "a,b,c,d\r\n", CsvError::Kind::TooManyFields, 1},
        {"long record", "aaaaaaaaa,bbbbbbbbb,ccc\r\n", CsvError::Kind::RecordTooLong, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            ReadAll(row.input, small);
            ADD_FAILURE() << "no error";
        } catch (const CsvError& error) {
            EXPECT_EQ(row.kind, error.kind());
            EXPECT_EQ(row.line, error.line());
        }
    }
    // Exactly at the limits is fine.
    EXPECT_EQ("aaaaaaaaaa|b|c", Join(ReadAll("aaaaaaaaaa,b,c", small).records));
}

TEST(CsvReaderTest, ReadsTenThousandFieldsAndFieldsAcrossChunkBorders) {
    std::string wide;
    for (int i = 0; i < 10'000; ++i) {
        wide += (i > 0 ? "," : "") + std::to_string(i);
    }
    const ReadResult result = ReadAll(wide + "\r\nnext\r\n");
    ASSERT_EQ(2u, result.records.size());
    ASSERT_EQ(10'000u, result.records[0].size());
    EXPECT_EQ("9999", result.records[0].back());
    EXPECT_EQ(2u, result.lines[1]);

    // The reader takes 64 KiB at a time: a quoted field, a doubled quote and a CR LF must survive
    // being cut at any of those places.
    for (std::size_t pad = 65'530; pad < 65'540; ++pad) {
        SCOPED_TRACE(pad);
        const std::string input = std::string(pad, 'p') + ",\"x\"\"y\r\nz\"\r\nlast\r\n";
        const ReadResult cut = ReadAll(input);
        ASSERT_EQ(2u, cut.records.size());
        EXPECT_EQ("x\"y\r\nz", cut.records[0][1]);
        EXPECT_EQ("last", cut.records[1][0]);
        EXPECT_EQ(3u, cut.lines[1]);
    }
}

}  // namespace
}  // namespace fleet
