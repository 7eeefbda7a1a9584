#include "sms/SmsReassembly.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sms/SmsPdu.h"

namespace sms {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

UserData Part(int reference, int total, int sequence, std::string text = "x") {
    UserData data;
    data.concatenation = Concatenation{reference, total, sequence};
    data.body.assign(text.begin(), text.end());
    data.text = std::move(text);
    return data;
}

TEST(SmsReassemblyTest, ThreePartsEncodeDecodeAndJoinOutOfOrder) {
    struct Row {
        const char* shows;
        std::string text;
        const char* udlOfFullPart;
    };
    const Row rows[] = {
        {"7-bit, an extension character at the first boundary", Repeat("a", 152) + "{" + Repeat("b", 200),
         "A0"},
        {"UCS-2, a surrogate pair at the first boundary",
         Repeat("\xe4\xb8\xad", 66) + "\xf0\x9f\x98\x80" + Repeat("\xe4\xb8\xad", 70), "8C"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        const SubmitEncoding encoding = EncodeSubmitPdu({"+8613800138000", row.text, "", 0x5A});
        ASSERT_TRUE(encoding.ok) << encoding.error;
        ASSERT_EQ(encoding.parts.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            // First octet with the header indicator, the header after the user-data length.
            const std::string& hex = encoding.parts[i].hex;
            EXPECT_EQ(hex.substr(0, 4), "0051");
            EXPECT_EQ(hex.substr(32, 12), "0500035A030" + std::to_string(i + 1));
            EXPECT_EQ(static_cast<int>(hex.size()) / 2 - 1, encoding.parts[i].tpduLength);
        }
        EXPECT_EQ(encoding.parts[1].hex.substr(30, 2), row.udlOfFullPart);

        ConcatenationBuffer buffer;
        std::optional<std::string> joined;
        for (const int index : {2, 0, 2, 1}) {
            const SubmitDecoding decoded = DecodeSubmitPdu(encoding.parts[index].hex);
            ASSERT_TRUE(decoded.ok) << decoded.error;
            ASSERT_TRUE(decoded.pdu.userData.concatenation.has_value());
            EXPECT_EQ(decoded.pdu.userData.concatenation->sequence, index + 1);
            EXPECT_FALSE(joined.has_value()) << "complete before the last part";
            joined = buffer.Add(decoded.pdu.destination.number, decoded.pdu.userData);
        }
        EXPECT_EQ(joined, row.text);
        EXPECT_EQ(buffer.PendingMessages(), 0u);
    }
}

// Three SMS-DELIVER parts packed by an independent encoder: 7-bit text after a concatenation header
// and one fill bit, the last part ending in an extension character.
TEST(SmsReassemblyTest, JoinsReceivedDeliverParts) {
    const char* const parts[] = {
        "00440B915155214365F70000521031214365230B050003070303D8E40D0A",
        "00440B915155214365F70000521031214365230D050003070301906536FB0D02",
        "00440B915155214365F70000521031214365230A050003070302EE6F39",
    };
    ConcatenationBuffer buffer;
    std::optional<std::string> joined;
    for (const char* hex : parts) {
        const DeliverDecoding decoded = DecodeDeliverPdu(hex);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        EXPECT_FALSE(joined.has_value());
        joined = buffer.Add(decoded.pdu.originator.number, decoded.pdu.userData);
    }
    EXPECT_EQ(joined, "Hello world{");
}

TEST(SmsReassemblyTest, KeysBySenderReferenceAndTotalWithinItsCapacity) {
    ConcatenationBuffer buffer(2);
    UserData single;
    single.text = "alone";
    EXPECT_EQ(buffer.Add("+1", single), "alone");
    EXPECT_EQ(buffer.Add("+1", Part(7, 1, 1, "one of one")), "one of one");

    EXPECT_EQ(buffer.Add("+1", Part(7, 2, 1, "A")), std::nullopt);
    EXPECT_EQ(buffer.Add("+2", Part(7, 2, 2, "b")), std::nullopt);  // another sender
    EXPECT_EQ(buffer.PendingMessages(), 2u);
    EXPECT_EQ(buffer.Add("+1", Part(7, 2, 2, "B")), "AB");
    EXPECT_EQ(buffer.PendingMessages(), 1u);

    // A third pending message drops the oldest: sender +2's first part never completes it.
    EXPECT_EQ(buffer.Add("+3", Part(1, 3, 1)), std::nullopt);
    EXPECT_EQ(buffer.Add("+3", Part(1, 2, 1, "c")), std::nullopt);  // other total, other message
    EXPECT_EQ(buffer.PendingMessages(), 2u);
    EXPECT_EQ(buffer.Add("+2", Part(7, 2, 1, "a")), std::nullopt) << "its second part was dropped";
    EXPECT_EQ(buffer.Add("+3", Part(1, 2, 2, "d")), "cd");
    EXPECT_EQ(buffer.PendingMessages(), 1u);
}

TEST(SmsReassemblyTest, RejoinsACharacterThatTheSenderCutBetweenParts) {
    ConcatenationBuffer buffer;
    UserData first = Part(9, 2, 1, "a ");
    first.body = {0x61, 0x1B};  // escape at the end of the part, its code in the next
    UserData second = Part(9, 2, 2, "(");
    second.body = {0x28};
    EXPECT_EQ(buffer.Add("+1", second), std::nullopt);
    EXPECT_EQ(buffer.Add("+1", first), "a{");

    UserData high = Part(3, 2, 1);
    high.coding = DataCoding::ucs2;
    high.body = {0xD8, 0x3D};
    UserData low = Part(3, 2, 2);
    low.coding = DataCoding::ucs2;
    low.body = {0xDE, 0x00};
    EXPECT_EQ(buffer.Add("+1", high), std::nullopt);
    EXPECT_EQ(buffer.Add("+1", low), "\xf0\x9f\x98\x80");
}

}  // namespace
}  // namespace sms
