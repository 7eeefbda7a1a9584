#pragma once

// Picks the DTU's reply out of the messages a modem receives: decodes each SMS-DELIVER PDU, keeps
// those whose originator is the expected number and joins the parts of a concatenated reply. In a
// pool of modems, whole messages from other numbers go to the pool's reply exchange, and a reply
// that another modem received is taken from there.

#include <optional>
#include <string>
#include <string_view>

#include "modem/SmsTransport.h"
#include "sms/SmsReassembly.h"

namespace modem {

class ReplyCollector final {
public:
    // `exchange` (none outside a pool) must outlive the collector; `since` is when the send whose
    // reply is awaited began: a message another modem received earlier is no reply to it.
    explicit ReplyCollector(std::string number, ReplyExchange* exchange = nullptr,
                            ReplyExchange::Clock::time_point since = {});

    // Offers one received PDU (hex, service-centre field first, as +CMGR and +CMT print it). Returns
    // the reply's whole text when this PDU completes a message from the number, nothing otherwise
    // (another sender, a part still waiting for the others, a PDU that does not decode). `note`, when
    // given, gets a line for the log saying what became of the PDU.
    std::optional<std::string> Offer(std::string_view pduHex, std::string* note);

    // Offers a message that ModemManager already decoded.
    std::optional<std::string> OfferText(const std::string& sender, const std::string& text,
                                         std::string* note);

    // The reply when another modem of the pool received it, taken from the exchange; `note` then
    // says so.
    std::optional<std::string> Claim(std::string* note);

private:
    // Leaves another number's whole message to the exchange; the note's ending.
    std::string PassOn(const std::string& sender, const std::string& text);

    std::string number_;
    ReplyExchange* exchange_;
    ReplyExchange::Clock::time_point since_;
    sms::ConcatenationBuffer buffer_;
};

}  // namespace modem
