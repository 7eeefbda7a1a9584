#include "sms/SmsPdu.h"

#include <optional>

#include "base/AsciiText.h"
#include "sms/Gsm7Alphabet.h"
#include "sms/PduOctets.h"
#include "sms/PhoneNumber.h"

namespace sms {
namespace {

constexpr std::uint8_t kSubmitWithRelativeValidity = 0x11;
constexpr std::uint8_t kUserDataHeaderIndicator = 0x40;
constexpr std::uint8_t kCodingGsm7 = 0x00;
constexpr std::uint8_t kCodingUcs2 = 0x08;
constexpr std::uint8_t kInternational = 0x91;
constexpr std::uint8_t kUnknownType = 0x81;
constexpr int kMaxParts = 255;
// The concatenation header with its length octet takes 6 octets: 7 septets with one fill bit.
constexpr int kHeaderSeptets = 7;
constexpr int kHeaderFillBits = 1;

using Octets = std::vector<std::uint8_t>;

struct Address {
    std::uint8_t type = kUnknownType;
    Octets semiOctets;
    std::size_t digits = 0;
};

Address ToAddress(const std::string& normalized) {
    const bool international = normalized.front() == '+';
    const std::string_view digits = std::string_view(normalized).substr(international ? 1 : 0);
    return {international ? kInternational : kUnknownType, ToSemiOctets(digits), digits.size()};
}

Octets ServiceCentreField(const std::optional<std::string>& serviceCentre) {
    if (!serviceCentre) {
        return {0x00};
    }
    const Address address = ToAddress(*serviceCentre);
    Octets field = {static_cast<std::uint8_t>(1 + address.semiOctets.size()), address.type};
    field.insert(field.end(), address.semiOctets.begin(), address.semiOctets.end());
    return field;
}

Octets UserDataOf(const std::vector<std::uint16_t>& units, SmsEncoding encoding,
                  const std::optional<Octets>& header) {
    Octets data;
    if (header) {
        data = *header;
    }
    if (encoding == SmsEncoding::gsm7) {
        const Octets septets(units.begin(), units.end());
        const Octets packed = PackSeptets(septets, header ? kHeaderFillBits : 0);
        data.insert(data.end(), packed.begin(), packed.end());
        data.insert(data.begin(), static_cast<std::uint8_t>(units.size() + (header ? kHeaderSeptets : 0)));
        return data;
    }
    for (const std::uint16_t unit : units) {
        data.push_back(static_cast<std::uint8_t>(unit >> 8));
        data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
    data.insert(data.begin(), static_cast<std::uint8_t>(data.size()));
    return data;
}

SubmitEncoding Failure(std::string error) {
    SubmitEncoding result;
    result.error = std::move(error);
    return result;
}

}  // namespace

SubmitEncoding EncodeSubmitPdu(const SubmitRequest& request) {
    const std::optional<std::string> destination = NormalizePhoneNumber(request.destination);
    if (!destination) {
        return Failure("the destination \"" + request.destination + "\" is not a phone number");
    }
    std::optional<std::string> serviceCentre;
    if (!base::TrimBlanks(request.serviceCentre).empty()) {
        serviceCentre = NormalizePhoneNumber(request.serviceCentre);
        if (!serviceCentre) {
            return Failure("the service centre \"" + request.serviceCentre + "\" is not a phone number");
        }
    }
    const SmsSplit split = SplitSms(request.text);
    if (split.parts.size() > kMaxParts) {
        return Failure("the text needs " + std::to_string(split.parts.size()) + " SMS; at most " +
                       std::to_string(kMaxParts) + " can be joined");
    }

    SubmitEncoding result;
    result.length = MeasureSplit(split);
    const Octets smscField = ServiceCentreField(serviceCentre);
    const Address to = ToAddress(*destination);
    const bool concatenated = split.parts.size() > 1;
    const auto total = static_cast<std::uint8_t>(split.parts.size());
    for (std::size_t i = 0; i < split.parts.size(); ++i) {
        Octets pdu = smscField;
        pdu.push_back(kSubmitWithRelativeValidity | (concatenated ? kUserDataHeaderIndicator : 0));
        pdu.push_back(0x00);  // message reference: the modem sets it
        pdu.push_back(static_cast<std::uint8_t>(to.digits));
        pdu.push_back(to.type);
        pdu.insert(pdu.end(), to.semiOctets.begin(), to.semiOctets.end());
        pdu.push_back(0x00);  // protocol identifier: plain SMS
        pdu.push_back(split.encoding == SmsEncoding::gsm7 ? kCodingGsm7 : kCodingUcs2);
        pdu.push_back(kRelativeValidityFourDays);
        std::optional<Octets> header;
        if (concatenated) {
            header = Octets{
                0x05, 0x00, 0x03, request.concatenationReference, total, static_cast<std::uint8_t>(i + 1)};
        }
        const Octets userData = UserDataOf(split.parts[i], split.encoding, header);
        pdu.insert(pdu.end(), userData.begin(), userData.end());
        result.parts.push_back({ToHex(pdu), static_cast<int>(pdu.size() - smscField.size())});
    }
    result.ok = true;
    return result;
}

}  // namespace sms
