#include "base/Utf8Lead.h"

#include <gtest/gtest.h>

namespace {

// The edges of each lead-byte range, and the first continuation byte each one allows: one off at any
// edge would let overlong forms, surrogates or values past U+10FFFF through, or refuse valid text.
TEST(Utf8LeadTest, ReadsEachLeadRangeAtItsEdges) {
    struct Row {
        unsigned char lead;
        int trailing;
        char32_t bits;
        unsigned char low, high;
    };
    const Row rows[] = {
        {0x41, 0, 0, 0x80, 0xBF},                               // ASCII starts no multibyte sequence
        {0x80, 0, 0, 0x80, 0xBF},                               // a continuation byte
        {0xBF, 0, 0, 0x80, 0xBF},    {0xC0, 0, 0, 0x80, 0xBF},  // C0 and C1 could only start overlong forms
        {0xC1, 0, 0, 0x80, 0xBF},    {0xC2, 1, 0x02, 0x80, 0xBF},  // U+0080
        {0xDF, 1, 0x1F, 0x80, 0xBF}, {0xE0, 2, 0x00, 0xA0, 0xBF},  // E0 80..9F would be overlong
        {0xE1, 2, 0x01, 0x80, 0xBF}, {0xEC, 2, 0x0C, 0x80, 0xBF},
        {0xED, 2, 0x0D, 0x80, 0x9F},  // ED A0..BF would be a surrogate
        {0xEE, 2, 0x0E, 0x80, 0xBF}, {0xEF, 2, 0x0F, 0x80, 0xBF},
        {0xF0, 3, 0x00, 0x90, 0xBF},                               // F0 80..8F would be overlong
        {0xF3, 3, 0x03, 0x80, 0xBF}, {0xF4, 3, 0x04, 0x80, 0x8F},  // F4 90.. would pass U+10FFFF
        {0xF5, 0, 0, 0x80, 0xBF},    {0xFF, 0, 0, 0x80, 0xBF},
    };
    for (const Row& row : rows) {
        const base::Utf8Lead read = base::ReadUtf8Lead(row.lead);
        SCOPED_TRACE(testing::Message() << "lead 0x" << std::hex << int{row.lead});
        EXPECT_EQ(row.trailing, read.trailing);
        EXPECT_EQ(row.bits, read.bits);
        EXPECT_EQ(int{row.low}, int{read.low});
        EXPECT_EQ(int{row.high}, int{read.high});
    }
}

}  // namespace
