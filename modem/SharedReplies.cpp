#include "modem/SharedReplies.h"

#include <algorithm>
#include <utility>

#include "sms/PhoneNumber.h"

namespace modem {

void SharedReplies::Deposit(const std::string& sender, const std::string& text, Clock::time_point arrived) {
    const std::lock_guard lock(mutex_);
    // Kept in order of arrival, so that Take gives the earliest match; two modems may deposit out
    // of order by a moment.
    const auto later = std::find_if(messages_.rbegin(), messages_.rend(),
                                    [arrived](const Deposited& kept) { return kept.arrived <= arrived; });
    messages_.insert(later.base(), Deposited{sender, text, arrived});
    if (messages_.size() > kCapacity) {
        messages_.pop_front();
    }
}

std::optional<std::string> SharedReplies::Take(const std::string& number, Clock::time_point since) {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(messages_.begin(), messages_.end(), [&](const Deposited& kept) {
        return kept.arrived >= since && sms::PhoneNumbersMatch(kept.sender, number);
    });
    if (found == messages_.end()) {
        return std::nullopt;
    }
    std::string text = std::move(found->text);
    messages_.erase(found);
    return text;
}

}  // namespace modem
