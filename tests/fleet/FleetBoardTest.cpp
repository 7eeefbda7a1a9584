#include "fleet/FleetBoard.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fleet/CsvReader.h"
#include "tests/fleet/FleetTestSupport.h"

namespace fleet {
namespace {

using Records = std::vector<std::vector<std::string>>;

TEST(DtuMatcherTest, FindsTheEarliestLongestSpellingAnywhereInTheBytes) {
    DtuMatcher matcher;
    matcher.Add("TQ-GP0001", 1);
    matcher.Add("TQ-GP00011", 11);
    matcher.Add("GP0002", 2);
    matcher.Add("", 99);
    matcher.Add("TQ-GP0001", 7);  // a second DTU with the same spelling keeps the first

    struct Case {
        const char* name;
        std::string bytes;
        std::optional<std::size_t> id;
    };
    const Case cases[] = {
        {"text line", "REG TQ-GP0001\r\n", 1},
        {"longer number sharing a prefix", "TQ-GP00011", 11},
        {"binary frame", std::string("\x7e\x00\x0aTQ-GP00011\x00\xff", 15), 11},
        {"earliest wins over longest", "GP0002 TQ-GP00011", 2},
        {"cut off at the end", "REG TQ-GP000", std::nullopt},
        {"a different case is another number", "tq-gp0001", std::nullopt},
        {"nothing", "", std::nullopt},
        {"spelling only inside a longer one", "TQ-GP0002", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.id, matcher.Find(c.bytes));
    }
}

TEST(FleetBoardTest, RecognisesTextAndMarksEachDtuOnce) {
    FleetBoard board(
        {"DTU ", "phone"},
        Records{
            {"TQ-GP000101", "1"}, {" 北京01 ", "2"}, {"TQ-GP000101", "3"}, {"", "4"}, {"TQ-GP000103", "5"}});
    EXPECT_EQ(3u, board.DtuCount());
    EXPECT_EQ((std::vector<std::string>{"TQ-GP000101", "北京01", "TQ-GP000103"}), board.Missing(10));

    // The UTF-8 text of 北京01 inside a binary frame.
    EXPECT_EQ(std::optional<std::size_t>(1),
              board.Arrive(std::string("\x7e\x00", 2) + "北京01" + std::string(1, '\0'), "t1", "10.0.0.2"));
    EXPECT_EQ(std::optional<std::size_t>(0), board.Arrive("REG TQ-GP000101", "t2", "10.0.0.1"));
    // Again, or no DTU of the fleet: nothing changes.
    EXPECT_EQ(std::nullopt, board.Arrive("TQ-GP000101", "t3", "10.0.0.9"));
    EXPECT_EQ(std::nullopt, board.Arrive("TQ-GP000999", "t3", "10.0.0.9"));
    EXPECT_TRUE(board.Names("TQ-GP000101"));
    EXPECT_FALSE(board.Names("garbage"));
    EXPECT_EQ(2u, board.OnlineCount());
    EXPECT_FALSE(board.AllOnline());
    EXPECT_EQ(std::vector<std::string>{"TQ-GP000103"}, board.Missing(10));
    EXPECT_EQ(std::vector<std::string>{}, board.Missing(0));

    std::ostringstream out;
    CsvWriter writer(out);
    board.Write(writer);
    writer.Finish();
    EXPECT_EQ(
        "\"DTU \",phone,online,first_seen,peer\r\n"
        "TQ-GP000101,1,yes,t2,10.0.0.1\r\n"
        "\" 北京01 \",2,yes,t1,10.0.0.2\r\n"
        "TQ-GP000101,3,yes,t2,10.0.0.1\r\n"
        ",4,,,\r\n"
        "TQ-GP000103,5,no,,\r\n",
        out.str());
    EXPECT_TRUE(board.Arrive("xxTQ-GP000103", "t4", "::1"));
    EXPECT_TRUE(board.AllOnline());
}

TEST(FleetBoardTest, RecognisesTheGbkBytesOfANumber) {
    if (!fleettest::Gb18030Available()) {
        GTEST_SKIP() << fleettest::kNoGb18030;
    }
    FleetBoard board({"dtu"}, Records{{"北京01"}, {"TQ-1"}});
    EXPECT_EQ(std::nullopt, board.Arrive("\xB1\xB1\xBE", "t0", "p"));  // cut inside a character
    const std::string frame(
        "\x7e\x00\xB1\xB1\xBE\xA9"
        "01\x00",
        9);
    EXPECT_EQ(std::optional<std::size_t>(0), board.Arrive(frame, "t1", "10.0.0.2"));
}

TEST(FleetBoardTest, AnEarlierBoardGoesOnAndCellsPastTheHeaderAreKept) {
    // A board written before, read again: its arrivals stay, its columns are not added twice; a row
    // with more cells than the header keeps them after the board's columns, trailing blanks go.
    FleetBoard board({"dtu", "Online", "first_seen", "peer"},
                     Records{{"A1", " YES", "old", "1.2.3.4"}, {"B2"}, {"C3", "no", "", "", "note", " "}});
    EXPECT_EQ(1u, board.OnlineCount());
    EXPECT_EQ(std::nullopt, board.Arrive("A1", "now", "5.6.7.8"));
    board.Arrive("C3", "now", "5.6.7.8");
    std::ostringstream out;
    CsvWriter writer(out);
    board.Write(writer);
    writer.Finish();
    EXPECT_EQ(
        "dtu,Online,first_seen,peer\r\n"
        "A1,yes,old,1.2.3.4\r\n"
        "B2,no,,\r\n"
        "C3,yes,now,5.6.7.8,note\r\n",
        out.str());

    FleetBoard added({"site", "dtu"}, Records{{"north", "A1", "extra"}});
    std::ostringstream second;
    CsvWriter secondWriter(second);
    added.Write(secondWriter);
    secondWriter.Finish();
    EXPECT_EQ("site,dtu,online,first_seen,peer\r\nnorth,A1,no,,,extra\r\n", second.str());
}

TEST(FleetBoardTest, RefusesAFileWithoutDtuNumbers) {
    EXPECT_THROW(FleetBoard({"phone", "ip"}, Records{{"1", "2"}}), BoardError);
    EXPECT_THROW(FleetBoard({"dtu", "ip"}, Records{{" ", "2"}, {}}), BoardError);
    std::istringstream empty("");
    CsvInput input(empty, EncodingChoice::Detect);
    EXPECT_THROW(FleetBoard::Read(input), BoardError);
    std::istringstream fleet("dtu;site\r\nTQ-1;a\r\nTQ-2;b\r\n");
    CsvInput semicolons(fleet, EncodingChoice::Detect);
    EXPECT_EQ(2u, FleetBoard::Read(semicolons).DtuCount());
}

}  // namespace
}  // namespace fleet
