#include "modem/AtLineReader.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace modem {
namespace {

// The events as one string per event, "> " standing for the prompt, so failures show both sides.
std::vector<std::string> Events(const std::vector<std::string>& chunks) {
    AtLineReader reader;
    std::vector<std::string> out;
    for (const std::string& chunk : chunks) {
        for (const AtEvent& event : reader.Feed(chunk)) {
            out.push_back(event.kind == AtEvent::Kind::Prompt ? "> " : "line:" + event.text);
        }
    }
    return out;
}

struct ReaderRow {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::string> expected;
};

// Names the row in test listings, instead of its bytes.
void PrintTo(const ReaderRow& row, std::ostream* out) {
    *out << row.name;
}

class AtLineReaderRows : public testing::TestWithParam<ReaderRow> {};

TEST_P(AtLineReaderRows, SplitsTheStreamIntoLinesAndPrompts) {
    EXPECT_EQ(Events(GetParam().chunks), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, AtLineReaderRows,
    testing::Values(
        ReaderRow{"crlf", {"\r\nOK\r\n"}, {"line:OK"}},
        ReaderRow{"bare_lf_and_lfcr", {"+CPIN: READY\n\rOK\n"}, {"line:+CPIN: READY", "line:OK"}},
        ReaderRow{"echo_then_answer",
                  {"AT+CPIN?\r\r\n+CPIN: READY\r\n\r\nOK\r\n"},
                  {"line:AT+CPIN?", "line:+CPIN: READY", "line:OK"}},
        ReaderRow{"split_in_every_byte", {"\r", "\n", "O", "K", "\r", "\n"}, {"line:OK"}},
        ReaderRow{"prompt_without_line_end", {"\r\n> "}, {"> "}},
        ReaderRow{"prompt_in_two_chunks", {"\r\n>", " "}, {"> "}},
        ReaderRow{"echoed_command_then_prompt", {"AT+CMGS=23\r\r\n> "}, {"line:AT+CMGS=23", "> "}},
        ReaderRow{"greater_than_inside_a_line_is_no_prompt", {"+X: a> b\r\n"}, {"line:+X: a> b"}},
        ReaderRow{
            "prompt_then_answer", {"> ", "\r\n+CMGS: 5\r\n\r\nOK\r\n"}, {"> ", "line:+CMGS: 5", "line:OK"}},
        ReaderRow{"nul_and_controls_dropped", {std::string("O\0K\x07\r\n", 6)}, {"line:OK"}},
        ReaderRow{"ctrl_z_of_an_echoed_pdu_dropped", {"0011\x1A\r\n"}, {"line:0011"}},
        ReaderRow{"high_bytes_kept", {"\xFF\xFEOK\r\n"}, {"line:\xFF\xFEOK"}},
        ReaderRow{"only_line_ends", {"\r\n\r\n\n\r"}, {}},
        ReaderRow{"partial_line_waits", {"+CMTI: \"SM\",3"}, {}}),
    [](const testing::TestParamInfo<ReaderRow>& row) { return std::string(row.param.name); });

TEST(AtLineReader, CutsAnOverlongLineAndDiscardsItsRest) {
    AtLineReader reader;
    const std::string noise(AtLineReader::kMaxLineBytes * 3, 'x');
    std::vector<AtEvent> events = reader.Feed(noise);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].text.size(), AtLineReader::kMaxLineBytes);
    EXPECT_TRUE(reader.Pending().empty());
    // The rest of the runaway line is dropped up to its end; the next line is whole again.
    events = reader.Feed("yyy\r\nOK\r\n");
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].text, "OK");
}

TEST(AtLineReader, ResetForgetsThePartialLine) {
    AtLineReader reader;
    reader.Feed("+CMGS: 1");
    EXPECT_EQ(reader.Pending(), "+CMGS: 1");
    reader.Reset();
    const std::vector<AtEvent> events = reader.Feed("OK\r\n");
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].text, "OK");
}

}  // namespace
}  // namespace modem
