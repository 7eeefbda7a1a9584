#include "modem/AtResponse.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "modem/ErrorCodes.h"

namespace modem {
namespace {

const char* Name(LineKind kind) {
    switch (kind) {
        case LineKind::Ok:
            return "Ok";
        case LineKind::Error:
            return "Error";
        case LineKind::CmsError:
            return "CmsError";
        case LineKind::CmeError:
            return "CmeError";
        case LineKind::Echo:
            return "Echo";
        case LineKind::Information:
            return "Information";
        case LineKind::Unsolicited:
            return "Unsolicited";
    }
    return "?";
}

struct ClassifyRow {
    const char* line;
    const char* command;
    const char* data;
    LineKind kind;
    int code;
};

// Names the row in test listings, instead of its bytes.
void PrintTo(const ClassifyRow& row, std::ostream* out) {
    *out << row.line << " during " << row.command;
}

class ClassifyRows : public testing::TestWithParam<ClassifyRow> {};

TEST_P(ClassifyRows, TellsAnswersFromIndications) {
    const ClassifyRow& row = GetParam();
    const ClassifiedLine classified = ClassifyLine(row.line, row.command, row.data);
    EXPECT_STREQ(Name(classified.kind), Name(row.kind)) << "line: " << row.line << " during " << row.command;
    EXPECT_EQ(classified.code, row.code) << "line: " << row.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ClassifyRows,
    testing::Values(
        // Final results.
        ClassifyRow{"OK", "AT", "", LineKind::Ok, -1}, ClassifyRow{" OK ", "AT", "", LineKind::Ok, -1},
        ClassifyRow{"ERROR", "AT+CMGF=0", "", LineKind::Error, -1},
        ClassifyRow{"NO CARRIER", "AT", "", LineKind::Error, -1},
        ClassifyRow{"+CMS ERROR: 330", "AT+CMGS=20", "", LineKind::CmsError, 330},
        ClassifyRow{"+CMS ERROR:500", "AT+CMGS=20", "", LineKind::CmsError, 500},
        ClassifyRow{"+CME ERROR: 10", "AT+CPIN?", "", LineKind::CmeError, 10},
        ClassifyRow{"+cme error: 11", "AT+CPIN?", "", LineKind::CmeError, 11},
        ClassifyRow{"+CME ERROR: SIM PIN required", "AT+CPIN?", "", LineKind::CmeError, -1},
        ClassifyRow{"+CMS ERROR: 99999999", "AT+CMGS=20", "", LineKind::CmsError, -1},
        // Echo of the command and of the PDU.
        ClassifyRow{"AT+CPIN?", "AT+CPIN?", "", LineKind::Echo, -1},
        ClassifyRow{"at+cpin?", "AT+CPIN?", "", LineKind::Echo, -1},
        ClassifyRow{"0011000B91", "AT+CMGS=20", "0011000B91", LineKind::Echo, -1},
        // The command's own answer.
        ClassifyRow{"+CPIN: READY", "AT+CPIN?", "", LineKind::Information, -1},
        ClassifyRow{"+CMGS: 12", "AT+CMGS=20", "", LineKind::Information, -1},
        ClassifyRow{"+CMGR: 0,,23", "AT+CMGR=3", "", LineKind::Information, -1},
        ClassifyRow{"07911326040000F0040B91", "AT+CMGR=3", "", LineKind::Information, -1},
        ClassifyRow{"+CREG: 0,1", "AT+CREG?", "", LineKind::Information, -1},
        // Visitors in the middle of an answer.
        ClassifyRow{"RING", "AT+CMGS=20", "", LineKind::Unsolicited, -1},
        ClassifyRow{"+CMTI: \"SM\",3", "AT+CMGS=20", "", LineKind::Unsolicited, -1},
        ClassifyRow{"+CREG: 1", "AT+CPIN?", "", LineKind::Unsolicited, -1},
        ClassifyRow{"^RSSI: 17", "AT+CMGF=0", "", LineKind::Unsolicited, -1},
        ClassifyRow{"+CMGSX: 1", "AT+CMGS=20", "", LineKind::Unsolicited, -1},
        // Nothing running: everything but a final result is unsolicited.
        ClassifyRow{"+CMTI: \"ME\",1", "", "", LineKind::Unsolicited, -1},
        ClassifyRow{"whatever", "", "", LineKind::Unsolicited, -1}));

TEST(AtResponse, ReadsTheFieldsOfInformationLines) {
    EXPECT_EQ(IntegerField("+CMGS: 12", "+CMGS:"), 12);
    EXPECT_EQ(IntegerField("+CMGS: 255,\"2023\"", "+CMGS:"), 255);
    EXPECT_EQ(IntegerField("+CMTI: \"SM\",3", "+CMTI:", true), 3);
    EXPECT_EQ(IntegerField("+CMTI: \"SM\", 14 ", "+CMTI:", true), 14);
    EXPECT_EQ(IntegerField("+CMTI: \"SM\",x", "+CMTI:", true), -1);
    EXPECT_EQ(IntegerField("+CMGS:", "+CMGS:"), -1);
    EXPECT_EQ(IntegerField("OK", "+CMGS:"), -1);
    EXPECT_EQ(PinState("+CPIN: READY"), "READY");
    EXPECT_EQ(PinState("+CPIN: \"SIM PIN\""), "SIM PIN");
    EXPECT_EQ(PinState("+CPIN:SIM PUK,3"), "SIM PUK");
    EXPECT_EQ(PinState("+CSQ: 20,99"), "");
}

TEST(AtResponse, KnowsWhichIndicationsCarryASecondLine) {
    EXPECT_TRUE(UnsolicitedTakesNextLine("+CMT: ,24"));
    EXPECT_TRUE(UnsolicitedTakesNextLine("+CDS: 25"));
    EXPECT_FALSE(UnsolicitedTakesNextLine("+CMTI: \"SM\",1"));
    EXPECT_FALSE(UnsolicitedTakesNextLine("RING"));
}

// Every code the users meet most often has its meaning in words; other codes have none, and their
// number is shown instead.
TEST(ErrorCodes, CommonCodesHaveTheirMeaning) {
    for (const int code : {10,  21,  27,  28,  29,  30,  38,  41,  42,  47,  50,  69,  96,  111, 301,
                           302, 303, 304, 305, 310, 311, 313, 320, 321, 322, 330, 331, 332, 500, 512}) {
        EXPECT_FALSE(CmsErrorMeaning(code).empty()) << "+CMS ERROR: " << code;
    }
    for (const int code : {3, 4, 10, 11, 12, 13, 14, 16, 20, 21, 22, 27, 30, 31, 50, 100}) {
        EXPECT_FALSE(CmeErrorMeaning(code).empty()) << "+CME ERROR: " << code;
    }
    EXPECT_EQ(CmsErrorMeaning(330), "service-centre number unknown; enter the service-centre number");
    EXPECT_EQ(CmeErrorMeaning(10), "no SIM card");
    // The same number means different things in the two tables.
    EXPECT_NE(CmsErrorMeaning(21), CmeErrorMeaning(21));
    for (const int code : {-1, 2, 400, 511, 513, 99999}) {
        EXPECT_EQ(CmsErrorMeaning(code), "") << code;
    }
    EXPECT_EQ(CmeErrorMeaning(999), "");
}

}  // namespace
}  // namespace modem
