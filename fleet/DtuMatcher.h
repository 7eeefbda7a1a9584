#pragma once

// Finds which DTU of a fleet a connection's first bytes name. A DTU announces itself with its number,
// either as a line of text or as the bytes of that text inside a binary registration frame, so the
// number is looked for anywhere in the bytes. The cost of a search grows with the bytes searched and
// the number of distinct spelling lengths, never with the size of the fleet.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fleet {

class DtuMatcher final {
public:
    // Adds `spelling` (the bytes of a DTU number) for the DTU `id`. An empty spelling is ignored; a
    // spelling added before keeps its first DTU.
    void Add(std::string_view spelling, std::size_t id);

    // The DTU whose spelling begins earliest in `bytes`, the longest one when several begin there
    // (so that TQ-GP00011 is not taken for TQ-GP0001); nullopt when no spelling occurs.
    std::optional<std::size_t> Find(std::string_view bytes) const;

private:
    std::deque<std::string> spellings_;  // stable storage for the keys below
    std::unordered_map<std::string_view, std::size_t> ids_;
    std::vector<std::size_t> lengths_;  // the distinct spelling lengths, longest first
};

}  // namespace fleet
