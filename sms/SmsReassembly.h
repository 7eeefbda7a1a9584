#pragma once

// Joins the parts of concatenated SMS as they are received. Pure: no I/O, no clock.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sms/SmsPdu.h"

namespace sms {

// Holds the parts of messages still incomplete, keyed by (originator, reference, total), so two
// senders, or two messages of one sender, never mix. Parts may arrive in any order; a part whose
// sequence number is already held is a duplicate and ignored. At most `capacity` messages are held
// (at least 1): a part of a new message beyond that drops the message that has waited longest, so a
// sender that never completes its messages cannot grow the buffer. Not thread-safe.
class ConcatenationBuffer final {
public:
    static constexpr std::size_t kDefaultCapacity = 16;

    explicit ConcatenationBuffer(std::size_t capacity = kDefaultCapacity);

    // Takes one received message (its originator as decoded and its user data). Gives its whole
    // text once complete: at once for a message that is not concatenated (or has a total of 1), at
    // the last missing part for a concatenated one. Parts are joined on their bodies in sequence
    // order, so a character the sender cut between two parts is rebuilt. std::nullopt while parts
    // are missing, and for a duplicate.
    std::optional<std::string> Add(std::string_view originator, const UserData& userData);

    // Messages that have some parts but not all.
    std::size_t PendingMessages() const { return pending_.size(); }

private:
    struct Pending {
        std::string originator;
        int reference = 0;
        int total = 0;
        std::map<int, UserData> parts;  // by sequence number
    };

    std::size_t capacity_;
    std::vector<Pending> pending_;  // oldest first
};

}  // namespace sms
