#include "modem/ReplyCollector.h"

#include <utility>

#include "sms/PhoneNumber.h"
#include "sms/SmsPdu.h"

namespace modem {

ReplyCollector::ReplyCollector(std::string number, ReplyExchange* exchange,
                               ReplyExchange::Clock::time_point since)
    : number_(std::move(number)), exchange_(exchange), since_(since) {}

std::string ReplyCollector::PassOn(const std::string& sender, const std::string& text) {
    exchange_->Deposit(sender, text, ReplyExchange::Clock::now());
    return "; passed on to the other modems";
}

std::optional<std::string> ReplyCollector::Offer(std::string_view pduHex, std::string* note) {
    std::string said;
    std::optional<std::string> reply;
    const sms::DeliverDecoding decoded = sms::DecodeDeliverPdu(pduHex);
    if (!decoded.ok) {
        said = "not a message that can be read (" + decoded.error + "); left alone";
    } else if (!sms::AddressMatchesNumber(decoded.pdu.originator, number_)) {
        const std::string& sender = decoded.pdu.originator.number;
        said = "from " + sender + ", not " + number_;
        if (exchange_ == nullptr || decoded.pdu.originator.alphanumeric) {
            said += "; left alone";
        } else if (std::optional<std::string> whole = buffer_.Add(sender, decoded.pdu.userData)) {
            said += PassOn(sender, *whole);
        } else {
            said += "; a part kept until the others come";
        }
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
    std::string said = matches ? "the reply from " + sender : "from " + sender + ", not " + number_;
    if (!matches) {
        said += exchange_ != nullptr ? PassOn(sender, text) : "; left alone";
    }
    if (note != nullptr) {
        *note = said;
    }
    return matches ? std::optional<std::string>(text) : std::nullopt;
}

std::optional<std::string> ReplyCollector::Claim(std::string* note) {
    if (exchange_ == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> reply = exchange_->Take(number_, since_);
    if (reply && note != nullptr) {
        *note = "the reply from " + number_ + ", received by another modem of the pool";
    }
    return reply;
}

}  // namespace modem
