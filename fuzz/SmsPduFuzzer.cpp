// Fuzzes the SMS PDU decoders and the reassembly of concatenated parts. The input is read twice:
// line by line as hex text (as a modem prints PDUs) and whole as raw octets. Every SMS-DELIVER that
// decodes goes into a small reassembly buffer, which must stay within its capacity. Every SMS-SUBMIT
// that decodes, to a number that could be typed, is encoded again: the parts of that encoding must
// decode to the same number and, joined, to the same text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sms/PhoneNumber.h"
#include "sms/SmsPdu.h"
#include "sms/SmsReassembly.h"

namespace {

constexpr std::size_t kCapacity = 3;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void Deliver(const sms::DeliverDecoding& decoded, sms::ConcatenationBuffer& buffer) {
    if (!decoded.ok) {
        Require(!decoded.error.empty());
        return;
    }
    const std::optional<std::string> text = buffer.Add(decoded.pdu.originator.number, decoded.pdu.userData);
    Require(!text || decoded.pdu.userData.concatenation || *text == decoded.pdu.userData.text);
    Require(buffer.PendingMessages() <= kCapacity);
}

void Submit(const sms::SubmitDecoding& decoded) {
    if (!decoded.ok) {
        Require(!decoded.error.empty());
        return;
    }
    const sms::SmsAddress& destination = decoded.pdu.destination;
    if (destination.alphanumeric || sms::NormalizePhoneNumber(destination.number) != destination.number) {
        return;
    }
    const std::string& text = decoded.pdu.userData.text;
    const sms::SubmitEncoding encoding = sms::EncodeSubmitPdu({destination.number, text, "", 0x42});
    Require(encoding.ok);
    // Out of order through the buffer: the last part first.
    sms::ConcatenationBuffer buffer;
    std::optional<std::string> joined;
    for (std::size_t i = encoding.parts.size(); i-- > 0;) {
        const sms::SubmitDecoding again = sms::DecodeSubmitPdu(encoding.parts[i].hex);
        Require(again.ok && again.pdu.destination.number == destination.number);
        Require(!joined);
        joined = buffer.Add(destination.number, again.pdu.userData);
    }
    Require(joined == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    sms::ConcatenationBuffer buffer(kCapacity);
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        const std::string_view line = input.substr(start, end - start);
        Deliver(sms::DecodeDeliverPdu(line), buffer);
        Submit(sms::DecodeSubmitPdu(line));
        start = end + 1;
    }
    const std::span<const std::uint8_t> octets(data, size);
    Deliver(sms::DecodeDeliverOctets(octets), buffer);
    Submit(sms::DecodeSubmitOctets(octets));
    return 0;
}
