#include "sms/PduFields.h"

#include "sms/Gsm7Alphabet.h"
#include "sms/PduOctets.h"
#include "sms/UnicodeText.h"

namespace sms {
namespace {

constexpr int kMaxAddressDigits = 20;
constexpr std::size_t kMaxUserDataOctets = 140;
constexpr std::uint8_t kTypeOfNumberMask = 0x70;
constexpr std::uint8_t kInternationalNumber = 0x10;
constexpr std::uint8_t kAlphanumeric = 0x50;

// `count` semi-octets as digits; semi-octets 0xA..0xE are the dialling characters * # a b c.
std::string DecodeDigits(std::span<const std::uint8_t> octets, std::size_t count) {
    static constexpr char kSymbols[] = "0123456789*#abc";
    std::string digits;
    for (std::size_t i = 0; i < count; ++i) {
        const int value = i % 2 == 0 ? octets[i / 2] & 0x0F : octets[i / 2] >> 4;
        if (value == 0x0F) {
            throw PduFault("an address has a filler digit F inside its digits");
        }
        digits += kSymbols[value];
    }
    return digits;
}

SmsAddress DecodeAddress(std::uint8_t type, std::span<const std::uint8_t> octets, std::size_t semiOctets) {
    SmsAddress address;
    address.typeOfAddress = type;
    if ((type & kTypeOfNumberMask) == kAlphanumeric) {
        // Alphanumeric addresses are packed 7-bit text; the length counts its semi-octets.
        address.alphanumeric = true;
        address.number = DecodeGsm7(UnpackSeptets(octets, 0, semiOctets * 4 / 7));
        return address;
    }
    address.number = DecodeDigits(octets, semiOctets);
    if ((type & kTypeOfNumberMask) == kInternationalNumber) {
        address.number.insert(0, "+");
    }
    return address;
}

int TwoDigits(std::uint8_t octet, const char* field) {
    const int low = octet & 0x0F;
    const int high = octet >> 4;
    if (low > 9 || high > 9) {
        throw PduFault(std::string("the time stamp's ") + field + " is not decimal");
    }
    return low * 10 + high;
}

void ReadHeaderElements(std::span<const std::uint8_t> header, UserData& data) {
    std::size_t at = 0;
    while (at < header.size()) {
        if (header.size() - at < 2) {
            throw PduFault("a user-data header element runs past the header");
        }
        const std::uint8_t identifier = header[at];
        const std::size_t length = header[at + 1];
        if (length > header.size() - at - 2) {
            throw PduFault("a user-data header element runs past the header");
        }
        const std::span<const std::uint8_t> value = header.subspan(at + 2, length);
        Concatenation concatenation;
        bool isConcatenation = false;
        if (identifier == 0x00 && length == 3) {
            concatenation = {value[0], value[1], value[2]};
            isConcatenation = true;
        } else if (identifier == 0x08 && length == 4) {
            concatenation = {value[0] << 8 | value[1], value[2], value[3]};
            isConcatenation = true;
        }
        // A repeated element counts by its last occurrence; an element with impossible numbers is
        // ignored whole, and so is any element that is not about concatenation.
        if (isConcatenation) {
            const bool valid = concatenation.total > 0 && concatenation.sequence > 0 &&
                               concatenation.sequence <= concatenation.total;
            data.concatenation = valid ? std::optional(concatenation) : std::nullopt;
        }
        at += 2 + length;
    }
}

}  // namespace

std::uint8_t PduReader::Octet(const char* field) {
    return Octets(1, field)[0];
}

std::span<const std::uint8_t> PduReader::Octets(std::size_t count, const char* field) {
    if (count > Remaining()) {
        throw PduFault("the PDU ends inside the " + std::string(field) + " (octet " +
                       std::to_string(position_ + 1) + ": " + std::to_string(count) + " needed, " +
                       std::to_string(Remaining()) + " left)");
    }
    const std::span<const std::uint8_t> taken = octets_.subspan(position_, count);
    position_ += count;
    return taken;
}

SmsAddress ReadServiceCentre(PduReader& reader) {
    const std::size_t length = reader.Octet("service-centre length");
    if (length == 0) {
        return {};
    }
    if (length > 1 + kMaxAddressDigits / 2) {
        throw PduFault("the service-centre field claims " + std::to_string(length) +
                       " octets; at most 11 exist");
    }
    const std::uint8_t type = reader.Octet("service-centre type");
    const std::span<const std::uint8_t> octets = reader.Octets(length - 1, "service-centre number");
    std::size_t semiOctets = 2 * octets.size();
    // The length counts octets, so an odd digit count shows only as the filler in the last one.
    if (semiOctets > 0 && (octets.back() >> 4) == 0x0F) {
        --semiOctets;
    }
    return DecodeAddress(type, octets, semiOctets);
}

SmsAddress ReadAddress(PduReader& reader, const char* field) {
    const std::size_t semiOctets = reader.Octet(field);
    if (semiOctets > kMaxAddressDigits) {
        throw PduFault(std::string("the ") + field + " claims " + std::to_string(semiOctets) +
                       " digits; at most 20 exist");
    }
    const std::uint8_t type = reader.Octet(field);
    return DecodeAddress(type, reader.Octets((semiOctets + 1) / 2, field), semiOctets);
}

SmsTimestamp ReadTimestamp(PduReader& reader) {
    const std::span<const std::uint8_t> octets = reader.Octets(7, "time stamp");
    SmsTimestamp stamp;
    stamp.year = TwoDigits(octets[0], "year");
    stamp.month = TwoDigits(octets[1], "month");
    stamp.day = TwoDigits(octets[2], "day");
    stamp.hour = TwoDigits(octets[3], "hour");
    stamp.minute = TwoDigits(octets[4], "minute");
    stamp.second = TwoDigits(octets[5], "second");
    // Bit 3 of the zone octet is the sign; the rest are two swapped decimal digits.
    const std::uint8_t zone = octets[6];
    const int quarters = TwoDigits(zone & 0xF7, "time zone");
    stamp.zoneQuarterHours = (zone & 0x08) != 0 ? -quarters : quarters;
    return stamp;
}

CodingScheme ReadCodingScheme(std::uint8_t dcs) {
    const int group = dcs >> 4;
    if (group <= 0x7) {
        if ((dcs & 0x20) != 0) {
            throw PduFault("compressed text (data coding 0x" + ToHex(std::span(&dcs, 1)) +
                           ") is not supported");
        }
        static constexpr DataCoding kAlphabets[] = {DataCoding::gsm7, DataCoding::eightBit, DataCoding::ucs2,
                                                    DataCoding::gsm7};
        return {kAlphabets[(dcs >> 2) & 0x03],
                (dcs & 0x10) != 0 ? std::optional<int>(dcs & 0x03) : std::nullopt};
    }
    if (group == 0xE) {
        return {DataCoding::ucs2, std::nullopt};
    }
    if (group == 0xF) {
        return {(dcs & 0x04) != 0 ? DataCoding::eightBit : DataCoding::gsm7, dcs & 0x03};
    }
    // Message-waiting groups 0xC and 0xD carry 7-bit text; the reserved groups 0x8 to 0xB and the
    // reserved alphabet above are read as the default alphabet, as receivers are told to.
    return {DataCoding::gsm7, std::nullopt};
}

UserData ReadUserData(PduReader& reader, bool hasHeader, const CodingScheme& scheme) {
    const std::size_t length = reader.Octet("user-data length");
    const bool gsm7 = scheme.coding == DataCoding::gsm7;
    const std::size_t octetCount = gsm7 ? (7 * length + 7) / 8 : length;
    if (octetCount > kMaxUserDataOctets) {
        throw PduFault("the user data claims " + std::to_string(octetCount) + " octets; at most 140 exist");
    }
    const std::span<const std::uint8_t> octets = reader.Octets(octetCount, "user data");

    UserData data;
    data.coding = scheme.coding;
    data.messageClass = scheme.messageClass;
    std::size_t headerOctets = 0;
    if (hasHeader) {
        if (octets.empty()) {
            throw PduFault("a user-data header is announced but the user data is empty");
        }
        headerOctets = 1 + std::size_t{octets[0]};
        if (headerOctets > octets.size()) {
            throw PduFault("the user-data header runs past the user data");
        }
        ReadHeaderElements(octets.subspan(1, headerOctets - 1), data);
    }
    if (gsm7) {
        // The header fills whole septets (with fill bits), so the text starts at a septet boundary.
        const std::size_t headerSeptets = (8 * headerOctets + 6) / 7;
        if (headerSeptets > length) {
            throw PduFault("the user-data length is shorter than its header");
        }
        data.body = UnpackSeptets(octets, 0, length);
        data.body.erase(data.body.begin(), data.body.begin() + static_cast<std::ptrdiff_t>(headerSeptets));
        data.text = DecodeGsm7(data.body);
        return data;
    }
    const std::span<const std::uint8_t> body = octets.subspan(headerOctets);
    data.body.assign(body.begin(), body.end());
    if (scheme.coding == DataCoding::ucs2) {
        if (body.size() % 2 != 0) {
            throw PduFault("UCS-2 text has an odd number of octets");
        }
        data.text = Utf16BeToUtf8(body);
    } else {
        data.text = ToHex(body);
    }
    return data;
}

}  // namespace sms
