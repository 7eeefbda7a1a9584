#include "sms/SmsPdu.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sms {
namespace {

// The classic "hellohello" pair: an SMS-SUBMIT to +46708251358 with the SIM's own centre, and an
// SMS-DELIVER from 27838890001 (subscriber number) through +27381000015 at 99-03-29 15:16:59 +2 h.
constexpr const char* kHelloSubmit = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37";
constexpr const char* kHelloDeliver =
    "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37";

TEST(SmsPduTest, EncodesSubmitPdusFieldByField) {
    struct Row {
        const char* shows;
        SubmitRequest request;
        std::vector<SubmitPart> parts;
    };
    const Row rows[] = {
        {"hellohello, international", {"+46708251358", "hellohello", "", 0}, {{kHelloSubmit, 23}}},
        {"typed number, unknown type, odd digit count",
         {"138-0013-8000", "(A55A#s)", "", 0},
         {{"0011000B813108108300F00000AA08A860AD161CCD53", 21}}},
        {"service centre given, UCS-2 beyond the BMP",
         {"+8613800138000", "\xe4\xb8\xad\xf0\x9f\x98\x80", "+8613800100500", 0},
         {{"0891683108100005F011000D91683108108300F00008AA064E2DD83DDE00", 21}}},
        {"empty text", {"112", "", " ", 0}, {{"001100038111F20000AA00", 10}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        const SubmitEncoding encoding = EncodeSubmitPdu(row.request);
        ASSERT_TRUE(encoding.ok) << encoding.error;
        ASSERT_EQ(encoding.parts.size(), row.parts.size());
        for (std::size_t i = 0; i < row.parts.size(); ++i) {
            EXPECT_EQ(encoding.parts[i].hex, row.parts[i].hex);
            EXPECT_EQ(encoding.parts[i].tpduLength, row.parts[i].tpduLength);
        }
    }
}

TEST(SmsPduTest, RefusesWhatCannotBeSent) {
    EXPECT_NE(EncodeSubmitPdu({"1380013800a", "x", "", 0}).error, "");
    EXPECT_NE(EncodeSubmitPdu({"13800138000", "x", "smsc", 0}).error, "");
    const SubmitEncoding tooLong = EncodeSubmitPdu({"13800138000", std::string(153 * 255 + 1, 'a'), "", 0});
    EXPECT_FALSE(tooLong.ok);
    EXPECT_EQ(tooLong.error, "the text needs 256 SMS; at most 255 can be joined");
    EXPECT_TRUE(EncodeSubmitPdu({"13800138000", std::string(153 * 255, 'a'), "", 0}).ok);
}

TEST(SmsPduTest, DecodesPublishedDeliverPdus) {
    const DeliverDecoding hello = DecodeDeliverPdu(kHelloDeliver);
    ASSERT_TRUE(hello.ok) << hello.error;
    EXPECT_EQ(hello.pdu.serviceCentre.number, "+27381000015");
    EXPECT_EQ(hello.pdu.originator.number, "27838890001");
    EXPECT_EQ(hello.pdu.originator.typeOfAddress, 0xC8);
    EXPECT_FALSE(hello.pdu.moreMessagesToSend);
    const SmsTimestamp& t = hello.pdu.timestamp;
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second, t.zoneQuarterHours}),
              std::vector<int>({99, 3, 29, 15, 16, 59, 8}));
    EXPECT_EQ(hello.pdu.userData.text, "hellohello");
    EXPECT_EQ(hello.pdu.tpduLength, 28);

    const DeliverDecoding howAreYou =
        DecodeDeliverPdu("07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07\r\n");
    ASSERT_TRUE(howAreYou.ok) << howAreYou.error;
    EXPECT_EQ(howAreYou.pdu.serviceCentre.number, "+31624000000");
    EXPECT_EQ(howAreYou.pdu.originator.number, "+31641600986");
    EXPECT_EQ(howAreYou.pdu.timestamp.minute, 37);
    EXPECT_EQ(howAreYou.pdu.userData.text, "How are you?");
    EXPECT_TRUE(AddressMatchesNumber(howAreYou.pdu.originator, "0641600986"));
}

TEST(SmsPduTest, DecodesCodingsHeadersAndAddresses) {
    struct Row {
        const char* shows;
        const char* hex;
        const char* originator;
        DataCoding coding;
        std::string text;
        std::optional<int> messageClass;
        std::optional<Concatenation> concatenation;
    };
    const Row rows[] = {
        {"alphanumeric sender, UCS-2, zone +8 h", "00040ED0D637396C7EBBCB000852103121436523044F60597D",
         "Vodafone", DataCoding::ucs2, "\xe4\xbd\xa0\xe5\xa5\xbd", std::nullopt, std::nullopt},
        {"16-bit reference, header of whole septets",
         "00440B915155214365F7000052103121436523"
         "0A06080412340201C834",
         "+15551234567", DataCoding::gsm7, "Hi", std::nullopt, Concatenation{0x1234, 2, 1}},
        {"other element skipped, 8-bit reference",
         "0044039121F3000852103121436523"
         "0E0B05040B8423F00003AB02020021",
         "+123", DataCoding::ucs2, "!", std::nullopt, Concatenation{0xAB, 2, 2}},
        {"sequence past total: element ignored",
         "0044039121F3000852103121436523"
         "08050003AB03040021",
         "+123", DataCoding::ucs2, "!", std::nullopt, std::nullopt},
        {"8-bit data as hex, class 1", "0004039121F300F5521031214365230302A0FF", "+123", DataCoding::eightBit,
         "02A0FF", 1, std::nullopt},
        {"class 0 flash text",
         "0004039121F3001052103121436523"
         "02C834",
         "+123", DataCoding::gsm7, "Hi", 0, std::nullopt},
        {"message waiting, store, UCS-2", "0004039121F300E05210312143652302004A", "+123", DataCoding::ucs2,
         "J", std::nullopt, std::nullopt},
        {"reserved alphabet reads as GSM", "0004039121F3000C5210312143652302C834", "+123", DataCoding::gsm7,
         "Hi", std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shows);
        const DeliverDecoding decoded = DecodeDeliverPdu(row.hex);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        const UserData& data = decoded.pdu.userData;
        EXPECT_EQ(decoded.pdu.originator.number, row.originator);
        EXPECT_EQ(data.coding, row.coding);
        EXPECT_EQ(data.text, row.text);
        EXPECT_EQ(data.messageClass, row.messageClass);
        ASSERT_EQ(data.concatenation.has_value(), row.concatenation.has_value());
        if (row.concatenation) {
            EXPECT_EQ(data.concatenation->reference, row.concatenation->reference);
            EXPECT_EQ(data.concatenation->total, row.concatenation->total);
            EXPECT_EQ(data.concatenation->sequence, row.concatenation->sequence);
        }
    }
    const DeliverDecoding alphanumeric = DecodeDeliverPdu(rows[0].hex);
    EXPECT_EQ(alphanumeric.pdu.timestamp.zoneQuarterHours, 32);
    EXPECT_FALSE(AddressMatchesNumber(alphanumeric.pdu.originator, "Vodafone"));
}

}  // namespace
}  // namespace sms
