#include "fleet/QrFileNames.h"

#include <array>

#include "base/AsciiText.h"

namespace fleet {
namespace {

constexpr std::size_t kMaxNameCharacters = 100;

bool Allowed(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// The length of the UTF-8 character that begins with `lead`; 1 for a byte that begins none, so that
// stray bytes still count one character each.
std::size_t CharacterLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    return 1;
}

bool IsReservedOnWindows(std::string_view name) {
    const std::string lower = base::LowerCaseAscii(name);
    constexpr std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
    for (const std::string_view device : kDevices) {
        if (lower == device) {
            return true;
        }
    }
    return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) && lower[3] >= '1' &&
           lower[3] <= '9';
}

}  // namespace

std::string QrBaseName(std::string_view dtuNumber, std::size_t rowNumber) {
    std::string name;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < dtuNumber.size() && characters < kMaxNameCharacters; ++characters) {
        const char c = dtuNumber[i];
        if (Allowed(c)) {
            name += c;
            ++i;
            continue;
        }
        name += '_';
        i += CharacterLength(static_cast<unsigned char>(c));
    }
    if (name.empty()) {
        return "row-" + std::to_string(rowNumber);
    }
    if (IsReservedOnWindows(name)) {
        name += '_';
    }
    return name;
}

std::string QrFileNames::Next(std::string_view dtuNumber, std::size_t rowNumber) {
    const std::string base = QrBaseName(dtuNumber, rowNumber);
    if (given_.insert(base::LowerCaseAscii(base)).second) {
        return base + ".png";
    }
    // Remembering where the search for a base stopped keeps a file of many equal numbers linear.
    std::size_t& suffix = nextSuffix_.try_emplace(base::LowerCaseAscii(base), 2).first->second;
    std::string name = base + "-" + std::to_string(suffix++);
    while (!given_.insert(base::LowerCaseAscii(name)).second) {
        name = base + "-" + std::to_string(suffix++);
    }
    return name + ".png";
}

}  // namespace fleet
