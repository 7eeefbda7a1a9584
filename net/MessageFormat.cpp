#include "net/MessageFormat.h"

namespace net {

std::string FillAddressAndPort(std::string_view text, std::string_view address, long long port) {
    std::string filled;
    filled.reserve(text.size() + address.size() + 8);
    bool addressUsed = false;
    bool portUsed = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const char kind = text[i + 1];
            if (kind == '%') {
                filled += '%';
                ++i;
                continue;
            }
            if (kind == 's' && !addressUsed) {
                filled += address;
                addressUsed = true;
                ++i;
                continue;
            }
            if (kind == 'd' && !portUsed) {
                filled += std::to_string(port);
                portUsed = true;
                ++i;
                continue;
            }
        }
        filled += text[i];
    }
    return filled;
}

std::string TrimControlAndSpace(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

}  // namespace net
