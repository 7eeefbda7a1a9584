#pragma once

// SMS in PDU form, as a GSM modem takes and gives it in PDU mode (AT+CMGF=0): encoding of the
// SMS-SUBMIT messages to send, decoding of received SMS-DELIVER messages and of SMS-SUBMIT
// messages (what a modem receives in AT+CMGS). Pure: no I/O, no clock.
//
// A PDU is the service-centre (SMSC) field followed by the transfer PDU (TPDU). In hex text (as
// AT+CMGR prints it and AT+CMGS takes it) the SMSC field comes first; AT+CMGS=<n> counts the
// octets of the TPDU only.
//
// Errors: every function returns a result with `ok`; when it is false, `error` says in English what
// is wrong (for the log and the command line). The decoders check every length field against the
// octets present and never read outside their input; a malformed PDU is an error, never undefined
// behaviour. No function throws (beyond std::bad_alloc).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sms/SmsLength.h"

namespace sms {

// Sent with every SMS-SUBMIT: relative validity 0xAA, four days for the network to deliver it.
inline constexpr std::uint8_t kRelativeValidityFourDays = 0xAA;

enum class DataCoding { gsm7, eightBit, ucs2 };

struct SmsAddress {
    // "+" and the digits for an international number (type of number 1); the digits (0-9, and
    // * # a b c for the semi-octets 0xA to 0xE) for any other numeric type; the decoded text of an
    // alphanumeric address (type of number 5). Empty for an absent SMSC field.
    std::string number;
    std::uint8_t typeOfAddress = 0;  // as sent, e.g. 0x91 international, 0x81 unknown, 0xD0 alphanumeric
    bool alphanumeric = false;
};

// A concatenation element of the user-data header (8-bit reference IEI 0x00, 16-bit IEI 0x08).
// An element with a total of 0, a sequence number of 0 or one past the total is ignored, as
// receivers must, and the message reads as a single one.
struct Concatenation {
    int reference = 0;  // 0..255 or 0..65535
    int total = 1;      // 1..255
    int sequence = 1;   // 1..total
};

struct UserData {
    DataCoding coding = DataCoding::gsm7;
    std::optional<int> messageClass;  // 0..3 when the data coding scheme gives one
    std::optional<Concatenation> concatenation;
    // UTF-8 text; for 8-bit data, which has no defined character set, the octets as upper-case hex.
    std::string text;
    // The user data after its header: septet values (0..127) for gsm7, the octets otherwise. Parts of
    // a concatenated message are joined on these, so that a character cut between two parts by the
    // sender is put back together.
    std::vector<std::uint8_t> body;
};

// ---- SMS-SUBMIT encoding ----

struct SubmitRequest {
    std::string destination;    // a phone number as NormalizePhoneNumber accepts it
    std::string text;           // UTF-8; malformed sequences are sent as U+FFFD (see SmsLength.h)
    std::string serviceCentre;  // empty or blank: the SIM's own (SMSC field 00); else a phone number
    std::uint8_t concatenationReference = 0;  // chosen by the caller, used when the text needs parts
};

struct SubmitPart {
    std::string hex;     // the whole PDU, SMSC field first, upper-case hex
    int tpduLength = 0;  // octets after the SMSC field: the <length> of AT+CMGS
};

struct SubmitEncoding {
    bool ok = false;
    std::vector<SubmitPart> parts;  // in sending order; set when ok
    SmsLength length;               // the text's length (MeasureSms)
    std::string error;              // set when not ok
};

// One SMS-SUBMIT PDU per part of the text (SplitSms decides coding and parts). First octet 0x11
// (relative validity period present), or 0x51 with a user-data header when the text has several
// parts; message reference 0 (the modem sets its own); destination type 0x91 with "+", else 0x81;
// protocol identifier 0; data coding 0x00 (GSM 7-bit, packed) or 0x08 (UCS-2); validity 0xAA.
// Several parts carry a concatenation header 05 00 03 <reference> <total> <sequence>; 7-bit text
// then starts after one fill bit and the user-data length counts the header's seven septets.
// Errors: the destination or the service centre is not a phone number; the text needs more than
// 255 parts.
SubmitEncoding EncodeSubmitPdu(const SubmitRequest& request);

// ---- SMS-DELIVER decoding ----

// The service centre's time stamp, field by field as sent.
struct SmsTimestamp {
    int year = 0;  // the two digits sent, 0..99
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int zoneQuarterHours = 0;  // local time minus UTC, in quarters of an hour (-79..79)
};

struct DeliverPdu {
    SmsAddress serviceCentre;
    SmsAddress originator;
    bool moreMessagesToSend = false;  // the centre holds more messages for this SIM (TP-MMS clear)
    bool statusReportIndication = false;
    bool replyPath = false;
    std::uint8_t protocolIdentifier = 0;
    std::uint8_t dataCodingScheme = 0;
    SmsTimestamp timestamp;
    UserData userData;
    int tpduLength = 0;  // octets after the SMSC field (the <length> of +CMGR)
};

struct DeliverDecoding {
    bool ok = false;
    DeliverPdu pdu;     // set when ok
    std::string error;  // set when not ok
};

// Decodes an SMS-DELIVER PDU from hex text (the PDU line of +CMGR or +CMT; see FromHex for what the
// text may hold) or from its octets. Errors: not hex; a field or length past the end of the input;
// octets after the user data; not an SMS-DELIVER; an address with a filler digit inside it, or longer
// than 20 digits; a time stamp with a digit that is not decimal; compressed text (data coding with
// the compression bit); user data of more than 140 octets; a user-data header that runs past the
// user data, or an element that runs past the header; UCS-2 text of an odd number of octets.
DeliverDecoding DecodeDeliverPdu(std::string_view hex);
DeliverDecoding DecodeDeliverOctets(std::span<const std::uint8_t> octets);

// ---- SMS-SUBMIT decoding ----

struct SubmitPdu {
    SmsAddress serviceCentre;
    SmsAddress destination;
    std::uint8_t messageReference = 0;
    bool rejectDuplicates = false;
    bool statusReportRequest = false;
    bool replyPath = false;
    int validityPeriodFormat = 0;              // 0 none, 2 relative, 1 enhanced, 3 absolute
    std::vector<std::uint8_t> validityPeriod;  // its octets: none, 1, 7 or 7
    std::uint8_t protocolIdentifier = 0;
    std::uint8_t dataCodingScheme = 0;
    UserData userData;
    int tpduLength = 0;  // octets after the SMSC field (the <length> of AT+CMGS)
};

struct SubmitDecoding {
    bool ok = false;
    SubmitPdu pdu;      // set when ok
    std::string error;  // set when not ok
};

// Decodes an SMS-SUBMIT PDU, SMSC field first, from hex text or octets. Errors as for
// DecodeDeliverPdu, with "not an SMS-SUBMIT" in place of "not an SMS-DELIVER".
SubmitDecoding DecodeSubmitPdu(std::string_view hex);
SubmitDecoding DecodeSubmitOctets(std::span<const std::uint8_t> octets);

// Whether a decoded address is the phone number `number` (PhoneNumbersMatch). An alphanumeric
// address never is, even when its text looks like digits.
bool AddressMatchesNumber(const SmsAddress& address, std::string_view number);

}  // namespace sms
