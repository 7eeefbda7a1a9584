#pragma once

// The binary search over the identifier table of a GNU MO catalog, apart from the catalog's bytes so
// that the order of its comparisons can be shown on any table.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace i18n {

// The first entry the search compares for a table of `entryCount` entries: the largest power of two
// not above it, 0 for an empty table. The first step is half of it.
constexpr std::uint32_t FirstProbeFor(std::uint32_t entryCount) noexcept {
    std::uint64_t probe = 1;
    for (std::uint32_t n = entryCount; n != 0; n /= 2) {
        probe *= 2;
    }
    return static_cast<std::uint32_t>(probe / 2);
}

// Searches `msgid` among entries 1..entryCount, which must be sorted by unsigned bytes with the shorter
// string first on a common prefix. `identifierAt(i)` gives entry i as a string_view; `onProbe(i)` is
// told every entry compared, in order. Starts at FirstProbeFor(entryCount) with half of it as step,
// halving the step after each comparison, so at most floor(log2 N) + 1 entries are compared. Returns
// the index found, or 0 when `msgid` is not in the table.
template <typename IdentifierAt, typename OnProbe>
std::uint32_t SearchIdentifiers(std::string_view msgid, std::uint32_t entryCount, IdentifierAt identifierAt,
                                OnProbe onProbe) noexcept {
    if (entryCount == 0) {
        return 0;
    }
    std::uint32_t i = FirstProbeFor(entryCount);
    std::uint32_t step = i / 2;
    for (;;) {
        onProbe(i);
        const std::string_view id = identifierAt(i);
        const std::size_t common = std::min(msgid.size(), id.size());
        // memcmp compares as unsigned char, which is the order the catalog is sorted in.
        int order = common == 0 ? 0 : std::memcmp(msgid.data(), id.data(), common);
        if (order == 0) {
            order = msgid.size() < id.size() ? -1 : (msgid.size() > id.size() ? 1 : 0);
        }
        if (order == 0) {
            return i;
        }
        if (step == 0) {
            return 0;
        }
        if (order < 0) {
            i = i < step + 1 ? 1 : i - step;
        } else {
            i = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{i} + step, entryCount));
        }
        step /= 2;
    }
}

}  // namespace i18n
