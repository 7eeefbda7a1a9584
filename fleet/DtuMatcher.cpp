#include "fleet/DtuMatcher.h"

#include <algorithm>
#include <functional>

namespace fleet {

void DtuMatcher::Add(std::string_view spelling, std::size_t id) {
    if (spelling.empty() || ids_.contains(spelling)) {
        return;
    }
    const std::string_view key = spellings_.emplace_back(spelling);
    ids_.emplace(key, id);
    const auto place = std::lower_bound(lengths_.begin(), lengths_.end(), key.size(), std::greater<>());
    if (place == lengths_.end() || *place != key.size()) {
        lengths_.insert(place, key.size());
    }
}

std::optional<std::size_t> DtuMatcher::Find(std::string_view bytes) const {
    for (std::size_t start = 0; start < bytes.size(); ++start) {
        const std::size_t left = bytes.size() - start;
        for (const std::size_t length : lengths_) {
            if (length > left) {
                continue;
            }
            const auto found = ids_.find(bytes.substr(start, length));
            if (found != ids_.end()) {
                return found->second;
            }
        }
    }
    return std::nullopt;
}

}  // namespace fleet
