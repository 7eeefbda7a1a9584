#pragma once

// Picks the DTU's reply out of the messages a modem receives: decodes each SMS-DELIVER PDU, keeps
// those whose originator is the expected number and joins the parts of a concatenated reply.

#include <optional>
#include <string>
#include <string_view>

#include "sms/SmsReassembly.h"

namespace modem {

class ReplyCollector final {
public:
    explicit ReplyCollector(std::string number);

    // Offers one received PDU (hex, service-centre field first, as +CMGR and +CMT print it). Returns
    // the reply's whole text when this PDU completes a message from the number, nothing otherwise
    // (another sender, a part still waiting for the others, a PDU that does not decode). `note`, when
    // given, gets a line for the log saying what became of the PDU.
    std::optional<std::string> Offer(std::string_view pduHex, std::string* note);

    // Offers a message that ModemManager already decoded.
    std::optional<std::string> OfferText(const std::string& sender, const std::string& text,
                                         std::string* note);

private:
    std::string number_;
    sms::ConcatenationBuffer buffer_;
};

}  // namespace modem
