#include "sms/SmsReassembly.h"

#include <algorithm>

#include "sms/Gsm7Alphabet.h"
#include "sms/PduOctets.h"
#include "sms/UnicodeText.h"

namespace sms {
namespace {

std::string DecodeBody(DataCoding coding, const std::vector<std::uint8_t>& body) {
    switch (coding) {
        case DataCoding::gsm7:
            return DecodeGsm7(body);
        case DataCoding::ucs2:
            return Utf16BeToUtf8(body);
        case DataCoding::eightBit:
            break;
    }
    return ToHex(body);
}

// Joins the bodies of consecutive parts of one coding before decoding them, so that an escape at
// the end of one part and its code at the start of the next, or the two halves of a surrogate pair,
// make one character again.
std::string Join(const std::map<int, UserData>& parts) {
    std::string text;
    std::vector<std::uint8_t> run;
    std::optional<DataCoding> runCoding;
    for (const auto& [sequence, part] : parts) {
        if (runCoding && *runCoding != part.coding) {
            text += DecodeBody(*runCoding, run);
            run.clear();
        }
        runCoding = part.coding;
        run.insert(run.end(), part.body.begin(), part.body.end());
    }
    if (runCoding) {
        text += DecodeBody(*runCoding, run);
    }
    return text;
}

}  // namespace

ConcatenationBuffer::ConcatenationBuffer(std::size_t capacity)
    : capacity_(std::max<std::size_t>(capacity, 1)) {}

std::optional<std::string> ConcatenationBuffer::Add(std::string_view originator, const UserData& userData) {
    if (!userData.concatenation || userData.concatenation->total <= 1) {
        return userData.text;
    }
    const Concatenation& part = *userData.concatenation;
    auto message = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& pending) {
        return pending.originator == originator && pending.reference == part.reference &&
               pending.total == part.total;
    });
    if (message == pending_.end()) {
        if (pending_.size() == capacity_) {
            pending_.erase(pending_.begin());
        }
        pending_.push_back({std::string(originator), part.reference, part.total, {}});
        message = std::prev(pending_.end());
    }
    if (!message->parts.emplace(part.sequence, userData).second) {
        return std::nullopt;
    }
    if (message->parts.size() < static_cast<std::size_t>(message->total)) {
        return std::nullopt;
    }
    std::string text = Join(message->parts);
    pending_.erase(message);
    return text;
}

}  // namespace sms
