// The replies the modems of a pool share: what one modem passes on and another takes.

#include <gtest/gtest.h>

#include "modem/ReplyCollector.h"
#include "modem/SharedReplies.h"
#include "tests/modem/FakeModem.h"

namespace modem {
namespace {

// A reply in two parts that one modem receives while it waits for another number: the parts are
// joined before the message is passed on, and the whole goes to one waiting row only.
TEST(SharedRepliesTest, AReplyInPartsIsPassedOnWholeAndTakenOnce) {
    SharedReplies replies;
    const ReplyExchange::Clock::time_point began = ReplyExchange::Clock::now();
    ReplyCollector receiving("13900000000", &replies, began);
    ReplyCollector waiting("+8613800138000", &replies, began);
    ReplyCollector waitingToo("13800138000", &replies, began);

    EXPECT_FALSE(receiving.Offer(modem_test::DeliverPdu("+8613800138000", "CONFIG ", 7, 2, 1), nullptr));
    EXPECT_FALSE(waiting.Claim(nullptr)) << "half a reply";
    EXPECT_FALSE(receiving.Offer(modem_test::DeliverPdu("+8613800138000", "OK", 7, 2, 2), nullptr));
    std::string note;
    EXPECT_EQ(waiting.Claim(&note), "CONFIG OK");
    EXPECT_NE(note.find("another modem"), std::string::npos) << note;
    EXPECT_FALSE(waitingToo.Claim(nullptr)) << "the same message given to a second row";
}

}  // namespace
}  // namespace modem
