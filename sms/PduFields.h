#pragma once

// The fields that SMS-DELIVER and SMS-SUBMIT PDUs share, read from a bounded cursor. Used by the PDU
// decoders; a malformed field throws PduFault, which the decoders turn into their error result.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "sms/SmsPdu.h"

namespace sms {

// A malformed PDU; what() says what is wrong. Never leaves the decoders' public functions.
class PduFault final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads octets in order and throws PduFault, naming the field, instead of reading past the end.
class PduReader final {
public:
    explicit PduReader(std::span<const std::uint8_t> octets) : octets_(octets) {}

    std::uint8_t Octet(const char* field);
    std::span<const std::uint8_t> Octets(std::size_t count, const char* field);
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return octets_.size() - position_; }

private:
    std::span<const std::uint8_t> octets_;
    std::size_t position_ = 0;
};

// The SMSC field: its length octet (0: absent, else 1..11), the type of address and the digits.
SmsAddress ReadServiceCentre(PduReader& reader);

// An originator or destination address: digit count (0..20), type of address, semi-octets.
SmsAddress ReadAddress(PduReader& reader, const char* field);

SmsTimestamp ReadTimestamp(PduReader& reader);

// What a data coding scheme says about the user data. Throws PduFault for compressed text.
struct CodingScheme {
    DataCoding coding = DataCoding::gsm7;
    std::optional<int> messageClass;
};
CodingScheme ReadCodingScheme(std::uint8_t dcs);

// The user-data length, the user data and, when `hasHeader`, its header; the text decoded.
UserData ReadUserData(PduReader& reader, bool hasHeader, const CodingScheme& scheme);

}  // namespace sms
