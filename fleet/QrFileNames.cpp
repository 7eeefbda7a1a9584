#include "fleet/QrFileNames.h"

#include <array>

#include "base/AsciiText.h"
#include "base/Utf8Lead.h"

namespace fleet {
namespace {

constexpr std::size_t kMaxNameCharacters = 100;
// Below the 255 bytes that Linux file systems allow a name, leaving room for "-<n>.png".
constexpr std::size_t kMaxNameBytes = 200;

// What Linux or Windows refuses in a file name: the separators of both, the characters Windows
// reserves, and control characters.
bool Forbidden(unsigned char c) {
    return c < 0x20 || c == 0x7F ||
           std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

// The length of the well-formed UTF-8 character at the start of `text`; 0 for a byte that begins
// none, or a sequence cut short or malformed.
std::size_t CharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    if (lead < 0x80) {
        return 1;
    }
    const base::Utf8Lead rule = base::ReadUtf8Lead(lead);
    const auto length = static_cast<std::size_t>(rule.trailing) + 1;
    if (rule.trailing == 0 || text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const unsigned char low = i == 1 ? rule.low : 0x80;
        const unsigned char high = i == 1 ? rule.high : 0xBF;
        if (c < low || c > high) {
            return 0;
        }
    }
    return length;
}

// Windows opens a device for these names, with any extension: "con", "nul.x", "COM1".
bool IsReservedOnWindows(std::string_view name) {
    const std::string lower = base::LowerCaseAscii(name.substr(0, name.find('.')));
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
        const std::size_t length = CharacterLength(dtuNumber.substr(i));
        if (length == 0 || Forbidden(static_cast<unsigned char>(dtuNumber[i]))) {
            name += '_';
            ++i;
            continue;
        }
        if (name.size() + length > kMaxNameBytes) {
            break;
        }
        name.append(dtuNumber, i, length);
        i += length;
    }
    if (name.empty()) {
        return "row-" + std::to_string(rowNumber);
    }
    if (name.find_first_not_of('.') == std::string::npos) {
        name = std::string(name.size(), '_');
    }
    // Windows drops a final dot or blank from a name, so that two numbers would meet in one file.
    if (name.back() == '.' || name.back() == ' ') {
        name.back() = '_';
    }
    if (IsReservedOnWindows(name)) {
        name.insert(name.begin(), '_');
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
