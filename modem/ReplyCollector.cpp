#include "modem/ReplyCollector.h"

#include <utility>

#include "sms/PhoneNumber.h"
#include "sms/SmsPdu.h"

namespace modem {

ReplyCollector::ReplyCollector(std::string number) : number_(std::move(number)) {}

std::optional<std::string> ReplyCollector::Offer(std::string_view pduHex, std::string* note) {
    std::string said;
    std::optional<std::string> reply;
    const sms::DeliverDecoding decoded = sms::DecodeDeliverPdu(pduHex);
    if (!decoded.ok) {
        said = "not a message that can be read (" + decoded.error + "); left alone";
    } else if (!sms::AddressMatchesNumber(decoded.pdu.originator, number_)) {
        said = "from " + decoded.pdu.originator.number + ", not " + number_ + "; left alone";
    } else {
        const sms::UserData& data = decoded.pdu.userData;
        reply = buffer_.Add(decoded.pdu.originator.number, data);
        if (reply) {
            said = "the reply from " + decoded.pdu.originator.number;
        } else if (data.concatenation) {
            said = "part " + std::to_string(data.concatenation->sequence) + " of " +
                   std::to_string(data.concatenation->total) + " from " + decoded.pdu.originator.number +
                   "; waiting for the others";
        } else {
            said = "a repeated part; ignored";
        }
    }
    if (note != nullptr) {
        *note = said;
    }
    return reply;
}

std::optional<std::string> ReplyCollector::OfferText(const std::string& sender, const std::string& text,
                                                     std::string* note) {
    const bool matches = sms::PhoneNumbersMatch(sender, number_);
    if (note != nullptr) {
        *note = matches ? "the reply from " + sender : "from " + sender + ", not " + number_ + "; left alone";
    }
    return matches ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace modem
