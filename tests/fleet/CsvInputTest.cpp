#include "fleet/CsvInput.h"

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
using fleettest::TempFolder;
using fleettest::WriteBytes;

std::string ReadAll(CsvInput& input) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    while (input.Next(fields)) {
        records.push_back(fields);
    }
    return Join(records);
}

// A stream that can only be read forwards, as a pipe.
class ForwardOnly : public std::streambuf {
public:
    explicit ForwardOnly(std::string bytes) : bytes_(std::move(bytes)) {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
    }

private:
    std::string bytes_;
};

TEST(CsvInputTest, ReadsEveryEncodingAsUtf8) {
    if (!fleettest::Gb18030Available()) {
        GTEST_SKIP() << fleettest::kNoGb18030;
    }

    const std::string gbRecords =
        "dtu|ip|site|note / TQ-GP000001|10.0.0.1|北京 朝阳区|一号, 东门 / TQ-GP000002|10.0.0.2|上海 "
        "浦东新区|𠀀€";
    struct Row {
        const char* fixture;
        EncodingChoice choice;
        std::string records;
        TextEncoding encoding;
    };
    const Row rows[] = {
        {"gb18030-chinese.csv", EncodingChoice::Detect, gbRecords, TextEncoding::Gb18030},
        {"gb18030-chinese.csv", EncodingChoice::Gb18030, gbRecords, TextEncoding::Gb18030},
        {"utf8-bom.csv", EncodingChoice::Detect, "DTU|Site / TQ-北京-01|北京 朝阳区", TextEncoding::Utf8},
        {"utf8-bom.csv", EncodingChoice::Utf8, "DTU|Site / TQ-北京-01|北京 朝阳区", TextEncoding::Utf8},
        {"quotes-and-breaks.csv", EncodingChoice::Detect,
         "dtu|phone|site / TQ-GP000001|13800138000|Harbour, pier 3 / TQ-GP000002|13800138001|Say \"hello\" / "
         "TQ-GP000003|13800138002|first line\r\nsecond line / TQ-GP000004|| / "
         "TQ-GP000005|13800138004|last line without a line end",
         TextEncoding::Utf8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        CsvInput input(FixturePath(row.fixture), row.choice);
        EXPECT_EQ(row.records, ReadAll(input));
        EXPECT_EQ(row.encoding, input.encoding());
    }
    CsvInput marked(FixturePath("utf8-bom.csv"), EncodingChoice::Detect);
    EXPECT_EQ("DTU|Site / TQ-北京-01|北京 朝阳区", ReadAll(marked));
    EXPECT_TRUE(marked.HadUtf8ByteOrderMark());
}

TEST(CsvInputTest, Utf16WithAByteOrderMarkIsReadWhateverWasNamed) {
    // "dtu\t北京\n𠀀\tx" in both byte orders, as spreadsheet programs save "Unicode text".
    const std::u16string text = u"dtu\t\u5317\u4eac\r\n\U00020000\tx\r\n";
    std::string little("\xFF\xFE");
    std::string big("\xFE\xFF");
    for (const char16_t unit : text) {
        little += static_cast<char>(unit & 0xFF);
        little += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit & 0xFF);
    }
    for (const std::string& bytes : {little, big}) {
        for (const EncodingChoice choice : {EncodingChoice::Detect, EncodingChoice::Utf8}) {
            std::istringstream in(bytes);
            CsvInput input(in, choice);
            EXPECT_EQ("dtu|北京 / 𠀀|x", ReadAll(input));
            EXPECT_TRUE(input.WasUtf16());
            EXPECT_EQ(TextEncoding::Utf8, input.encoding());
        }
    }
    // Broken UTF-16 is refused, naming the line, never replaced.
    const struct {
        std::string bytes;
        std::size_t line;
    } broken[] = {
        {std::string("\xFF\xFE"
                     "a\0\n\0\x00\xD8"
                     "b\0",
                     8),
         2},                                      // a high surrogate without its low one
        {std::string("\xFF\xFE\x00\xDC", 4), 1},  // a low surrogate alone
        {std::string("\xFF\xFE"
                     "a\0b",
                     5),
         1},  // an odd last byte
    };
    for (const auto& row : broken) {
        std::istringstream in(row.bytes);
        try {
            CsvInput input(in, EncodingChoice::Detect);
            ADD_FAILURE() << "no error";
        } catch (const CsvError& error) {
            EXPECT_EQ(CsvError::Kind::InvalidText, error.kind());
            EXPECT_EQ(row.line, error.line());
        }
    }
    CsvInput plain(FixturePath("utf8-bom.csv"), EncodingChoice::Detect);
    ReadAll(plain);
    EXPECT_FALSE(plain.WasUtf16());
}

TEST(CsvInputTest, DetectionLooksAtTheWholeFile) {
    if (!fleettest::Gb18030Available()) {
        GTEST_SKIP() << fleettest::kNoGb18030;
    }

    // A GB18030 byte far behind a first chunk of ASCII still makes the file GB18030.
    std::string bytes = "dtu,site\r\n";
    while (bytes.size() < 200'000) {
        bytes += "TQ-GP000001,plain ascii\r\n";
    }
    bytes += "TQ-GP000002,\xB1\xB1\xBE\xA9\r\n";
    std::istringstream in(bytes);
    CsvInput input(in, EncodingChoice::Detect);
    EXPECT_EQ(TextEncoding::Gb18030, input.encoding());
    std::vector<std::string> fields;
    std::string last;
    while (input.Next(fields)) {
        last = fields[1];
    }
    EXPECT_EQ("北京", last);
}

TEST(CsvInputTest, TextOfAnotherEncodingIsAnErrorNamingTheLine) {
    if (!fleettest::Gb18030Available()) {
        GTEST_SKIP() << fleettest::kNoGb18030;
    }

    struct Row {
        const char* name;
        std::string bytes;
        EncodingChoice choice;
        std::string message;
    };
    const Row rows[] = {
        {"GB18030 read as UTF-8", ReadBytes(FixturePath("gb18030-chinese.csv")), EncodingChoice::Utf8,
         "line 2: the text is not valid UTF-8 (name its encoding if it is GB18030)"},
        {"neither encoding", "dtu\r\nok\r\n\"two\r\nlines \xFF\"\r\n", EncodingChoice::Detect,
         "line 3: the text is neither UTF-8 nor GB18030"},
        {"invalid GB18030", "dtu\r\nok\r\n\xB1\r\n", EncodingChoice::Gb18030,
         "line 3: the text is not valid GB18030"},
        {"GB18030 mark read as UTF-8",
         "\x84\x31\x95\x33"
         "dtu\r\n",
         EncodingChoice::Utf8, "line 1: the file begins with a GB18030 byte-order mark, so it is not UTF-8"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::istringstream in(row.bytes);
        CsvInput input(in, row.choice);
        try {
            ReadAll(input);
            ADD_FAILURE() << "no error";
        } catch (const CsvError& error) {
            EXPECT_EQ(CsvError::Kind::InvalidText, error.kind());
            EXPECT_EQ(row.message, std::string(error.what()));
        }
    }
}

TEST(CsvInputTest, AStreamThatCannotSeekIsReadOnceAsUtf8UnlessGb18030IsNamed) {
    if (!fleettest::Gb18030Available()) {
        GTEST_SKIP() << fleettest::kNoGb18030;
    }

    const std::string gb = ReadBytes(FixturePath("gb18030-chinese.csv"));
    ForwardOnly utf8Buffer("dtu,site\r\nA,北京\r\n");
    std::istream utf8Stream(&utf8Buffer);
    CsvInput utf8(utf8Stream, EncodingChoice::Detect);
    EXPECT_EQ("dtu|site / A|北京", ReadAll(utf8));

    ForwardOnly gbBuffer(gb);
    std::istream gbStream(&gbBuffer);
    CsvInput undetected(gbStream, EncodingChoice::Detect);
    EXPECT_THROW(ReadAll(undetected), CsvError);

    ForwardOnly namedBuffer(gb);
    std::istream namedStream(&namedBuffer);
    CsvInput named(namedStream, EncodingChoice::Gb18030);
    EXPECT_NE(std::string::npos, ReadAll(named).find("上海 浦东新区"));
}

TEST(CsvInputTest, FilesThatCannotBeReadAreNamed) {
    TempFolder folder;
    struct Row {
        std::string path;
        std::string message;
    };
    const Row rows[] = {
        {folder.File("absent.csv"),
         "cannot open " + folder.File("absent.csv") + ": No such file or directory"},
        {folder.path().string(), folder.path().string() + " is a folder, not a CSV file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        try {
            CsvInput input(row.path, EncodingChoice::Detect);
            ADD_FAILURE() << "no error";
        } catch (const CsvError& error) {
            EXPECT_EQ(CsvError::Kind::CannotOpen, error.kind());
            EXPECT_EQ(row.message, std::string(error.what()));
        }
    }
    WriteBytes(folder.File("empty.csv"), "");
    CsvInput empty(folder.File("empty.csv"), EncodingChoice::Detect);
    EXPECT_EQ("", ReadAll(empty));
}

}  // namespace
}  // namespace fleet
