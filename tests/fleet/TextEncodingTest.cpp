#include "fleet/TextEncoding.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/fleet/FleetTestSupport.h"

namespace fleet {
namespace {

TEST(TextEncodingTest, ValidatesUtf8StrictlyWhateverPiecesItComesIn) {
    struct Row {
        const char* name;
        std::string bytes;
        bool valid;
    };
    const Row rows[] = {
        {"ASCII", "TQ-GP000001, 6000", true},
        {"two, three and four bytes", "\xC3\xA9\xE5\x8C\x97\xF0\x9F\x98\x80", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", true},
        {"lone continuation byte", "a\x80", false},
        {"overlong two-byte form", "\xC0\xAF", false},
        {"overlong three-byte form", "\xE0\x80\xAF", false},
        {"overlong four-byte form", "\xF0\x80\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"F5 lead byte", "\xF5\x80\x80\x80", false},
        {"cut at the end", "ab\xE5\x8C", false},
        {"GBK text", "\xB1\xB1\xBE\xA9", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.valid, IsValidUtf8(row.bytes));
        // Fed in two pieces cut at every place, the verdict must not change.
        for (std::size_t cut = 0; cut <= row.bytes.size(); ++cut) {
            Utf8Validator validator;
            validator.Feed(std::string_view(row.bytes).substr(0, cut));
            validator.Feed(std::string_view(row.bytes).substr(cut));
            EXPECT_EQ(row.valid, validator.Complete()) << "cut at " << cut;
        }
    }
    // The eight-byte fast path must not skip a bad byte inside a long ASCII run.
    std::string longRun(40, 'a');
    longRun[21] = '\xFF';
    EXPECT_FALSE(IsValidUtf8(longRun));
    EXPECT_FALSE(IsAscii(longRun));
}

TEST(TextEncodingTest, ConvertsGb18030AndRefusesBrokenSequences) {
    if (!fleettest::Gb18030Available()) {
        GTEST_SKIP() << fleettest::kNoGb18030;
    }

    struct Row {
        const char* name;
        std::string bytes;
        std::optional<std::string> utf8;
    };
    const Row rows[] = {
        {"ASCII", "TQ-GP000001", "TQ-GP000001"},
        {"two-byte characters", "\xB1\xB1\xBE\xA9 \xB3\xAF\xD1\xF4\xC7\xF8", "北京 朝阳区"},
        {"four-byte character", "\x95\x32\x82\x36", "𠀀"},
        {"euro sign", "\xA2\xE3", "€"},
        {"byte-order mark", "\x84\x31\x95\x33", "\xEF\xBB\xBF"},
        {"cut after a lead byte", "ab\xB1", std::nullopt},
        {"cut inside a four-byte sequence", "\x95\x32\x82", std::nullopt},
        {"lead byte then ASCII control", "\xB1\x0A", std::nullopt},
        {"lone 0xFF", "\xFF", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.utf8, Gb18030ToUtf8(row.bytes));
    }
    // A failed conversion leaves nothing behind for the next one.
    EXPECT_EQ(std::nullopt, Gb18030ToUtf8("\x95\x32"));
    EXPECT_EQ(std::optional<std::string>("北"), Gb18030ToUtf8("\xB1\xB1"));

    // Back again: every valid row's text gives its bytes; what is no UTF-8 gives nothing.
    for (const Row& row : rows) {
        if (row.utf8) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(std::optional<std::string>(row.bytes), Utf8ToGb18030(*row.utf8));
        }
    }
    EXPECT_EQ(std::nullopt, Utf8ToGb18030("ab\xE5\x8C"));
    EXPECT_EQ(std::nullopt, Utf8ToGb18030("\xED\xA0\x80"));
}

}  // namespace
}  // namespace fleet
