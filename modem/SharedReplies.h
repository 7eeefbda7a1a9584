#pragma once

// The reply exchange of a pool of modems (see modem::ReplyExchange): the messages that one modem
// received for another, kept until one takes them or the exchange goes.

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "modem/SmsTransport.h"

namespace modem {

class SharedReplies final : public ReplyExchange {
public:
    // Messages kept at most: beyond that the earliest is dropped, so that a number that sends and
    // sends cannot exhaust memory during a long run.
    static constexpr std::size_t kCapacity = 1000;

    void Deposit(const std::string& sender, const std::string& text, Clock::time_point arrived) override;
    std::optional<std::string> Take(const std::string& number, Clock::time_point since) override;

private:
    struct Deposited {
        std::string sender;
        std::string text;
        Clock::time_point arrived;
    };

    std::mutex mutex_;
    std::deque<Deposited> messages_;  // in order of arrival
};

}  // namespace modem
