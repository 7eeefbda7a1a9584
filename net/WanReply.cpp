#include "net/WanReply.h"

#include "base/AsciiText.h"

namespace net {

std::string CutH2Address(std::string_view body) {
    // Positions are 1-based with 0 for "not found", so that a missing "<h2>" starts the element at
    // the body's fourth character and a "</h2>" before "<h2>" gives a negative, hence empty, length.
    const auto position = [&body](std::string_view marker) -> long long {
        const std::size_t found = body.find(marker);
        return found == std::string_view::npos ? 0 : static_cast<long long>(found) + 1;
    };
    const long long p = position("<h2>");
    const long long q = position("</h2>");
    const long long length = q - p - 4;
    if (length <= 0) {
        return {};
    }
    const std::string_view element =
        body.substr(static_cast<std::size_t>(p + 3), static_cast<std::size_t>(length));
    return std::string(element.substr(0, element.find(',')));
}

bool IsDottedIPv4(std::string_view text) {
    int parts = 0;
    std::size_t at = 0;
    for (;;) {
        const std::size_t start = at;
        int value = 0;
        while (at < text.size() && at - start < 4 && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at] - '0');
            ++at;
        }
        const std::size_t digits = at - start;
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[start] == '0')) {
            return false;
        }
        if (++parts == 4) {
            return at == text.size();
        }
        if (at >= text.size() || text[at] != '.') {
            return false;
        }
        ++at;
    }
}

std::optional<std::string> AddressInReply(std::string_view body) {
    const bool page =
        body.find("<h2>") != std::string_view::npos || body.find("</h2>") != std::string_view::npos;
    const std::string cut = page ? CutH2Address(body) : std::string();
    const std::string_view address = base::TrimBlanks(page ? std::string_view(cut) : body);
    if (!IsDottedIPv4(address)) {
        return std::nullopt;
    }
    return std::string(address);
}

}  // namespace net
