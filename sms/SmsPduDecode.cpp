#include "sms/SmsPdu.h"

#include "sms/PduFields.h"
#include "sms/PduOctets.h"
#include "sms/PhoneNumber.h"

namespace sms {
namespace {

constexpr std::uint8_t kMessageTypeMask = 0x03;
constexpr std::uint8_t kDeliverType = 0x00;
constexpr std::uint8_t kSubmitType = 0x01;
constexpr std::uint8_t kUserDataHeaderIndicator = 0x40;
constexpr std::uint8_t kReplyPath = 0x80;

void CheckMessageType(std::uint8_t firstOctet, std::uint8_t expected, const char* name) {
    const int type = firstOctet & kMessageTypeMask;
    if (type != expected) {
        throw PduFault(std::string("not an ") + name + " (message type " + std::to_string(type) + ")");
    }
}

void CheckNothingAfterUserData(const PduReader& reader) {
    if (reader.Remaining() != 0) {
        const std::size_t extra = reader.Remaining();
        throw PduFault(std::to_string(extra) + (extra == 1 ? " octet follows" : " octets follow") +
                       " the user data");
    }
}

std::size_t ValidityOctets(int format) {
    static constexpr std::size_t kOctets[] = {0, 7, 1, 7};
    return kOctets[format];
}

DeliverPdu ReadDeliver(PduReader& reader) {
    DeliverPdu pdu;
    pdu.serviceCentre = ReadServiceCentre(reader);
    const std::size_t tpduStart = reader.Position();
    const std::uint8_t first = reader.Octet("first octet");
    CheckMessageType(first, kDeliverType, "SMS-DELIVER");
    // TP-MMS is set when no more messages are waiting, hence the negation.
    pdu.moreMessagesToSend = (first & 0x04) == 0;
    pdu.statusReportIndication = (first & 0x20) != 0;
    pdu.replyPath = (first & kReplyPath) != 0;
    pdu.originator = ReadAddress(reader, "originator address");
    pdu.protocolIdentifier = reader.Octet("protocol identifier");
    pdu.dataCodingScheme = reader.Octet("data coding scheme");
    pdu.timestamp = ReadTimestamp(reader);
    pdu.userData =
        ReadUserData(reader, (first & kUserDataHeaderIndicator) != 0, ReadCodingScheme(pdu.dataCodingScheme));
    CheckNothingAfterUserData(reader);
    pdu.tpduLength = static_cast<int>(reader.Position() - tpduStart);
    return pdu;
}

SubmitPdu ReadSubmit(PduReader& reader) {
    SubmitPdu pdu;
    pdu.serviceCentre = ReadServiceCentre(reader);
    const std::size_t tpduStart = reader.Position();
    const std::uint8_t first = reader.Octet("first octet");
    CheckMessageType(first, kSubmitType, "SMS-SUBMIT");
    pdu.rejectDuplicates = (first & 0x04) != 0;
    pdu.validityPeriodFormat = (first >> 3) & 0x03;
    pdu.statusReportRequest = (first & 0x20) != 0;
    pdu.replyPath = (first & kReplyPath) != 0;
    pdu.messageReference = reader.Octet("message reference");
    pdu.destination = ReadAddress(reader, "destination address");
    pdu.protocolIdentifier = reader.Octet("protocol identifier");
    pdu.dataCodingScheme = reader.Octet("data coding scheme");
    const std::span<const std::uint8_t> validity =
        reader.Octets(ValidityOctets(pdu.validityPeriodFormat), "validity period");
    pdu.validityPeriod.assign(validity.begin(), validity.end());
    pdu.userData =
        ReadUserData(reader, (first & kUserDataHeaderIndicator) != 0, ReadCodingScheme(pdu.dataCodingScheme));
    CheckNothingAfterUserData(reader);
    pdu.tpduLength = static_cast<int>(reader.Position() - tpduStart);
    return pdu;
}

// Runs `read` over `octets`, turning a PduFault into the error of the result.
template <typename Result, typename Read>
Result Decode(std::span<const std::uint8_t> octets, Read read) {
    Result result;
    try {
        PduReader reader(octets);
        result.pdu = read(reader);
        result.ok = true;
    } catch (const PduFault& fault) {
        result.error = fault.what();
    }
    return result;
}

template <typename Result>
Result HexFailure(const std::string& error) {
    Result result;
    result.error = error;
    return result;
}

}  // namespace

DeliverDecoding DecodeDeliverOctets(std::span<const std::uint8_t> octets) {
    return Decode<DeliverDecoding>(octets, ReadDeliver);
}

DeliverDecoding DecodeDeliverPdu(std::string_view hex) {
    const HexOctets octets = FromHex(hex);
    return octets.ok ? DecodeDeliverOctets(octets.octets) : HexFailure<DeliverDecoding>(octets.error);
}

SubmitDecoding DecodeSubmitOctets(std::span<const std::uint8_t> octets) {
    return Decode<SubmitDecoding>(octets, ReadSubmit);
}

SubmitDecoding DecodeSubmitPdu(std::string_view hex) {
    const HexOctets octets = FromHex(hex);
    return octets.ok ? DecodeSubmitOctets(octets.octets) : HexFailure<SubmitDecoding>(octets.error);
}

bool AddressMatchesNumber(const SmsAddress& address, std::string_view number) {
    return !address.alphanumeric && PhoneNumbersMatch(address.number, number);
}

}  // namespace sms
