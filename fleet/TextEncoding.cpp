#include "fleet/TextEncoding.h"

#include <cstring>

#include "base/AsciiText.h"
#include "base/Utf8Lead.h"

namespace fleet {
namespace {

// Where the first byte of `bytes` at or after `from` with the high bit set is; size() when none.
std::size_t FirstNonAscii(std::string_view bytes, std::size_t from) {
    std::size_t i = from;
    // Eight bytes at a time: most CSV text is ASCII, and this keeps the check far below the cost of
    // the parsing around it.
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, sizeof(word));
        if ((word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) {
        ++i;
    }
    return i;
}

}  // namespace

std::optional<EncodingChoice> ParseEncodingName(std::string_view name) {
    if (base::EqualsIgnoringAsciiCase(name, "utf-8") || base::EqualsIgnoringAsciiCase(name, "utf8")) {
        return EncodingChoice::Utf8;
    }
    if (base::EqualsIgnoringAsciiCase(name, "gb18030") || base::EqualsIgnoringAsciiCase(name, "gbk") ||
        base::EqualsIgnoringAsciiCase(name, "gb2312")) {
        return EncodingChoice::Gb18030;
    }
    return std::nullopt;
}

std::string_view EncodingName(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? "utf-8" : "gb18030";
}

bool Utf8Validator::Feed(std::string_view bytes) {
    std::size_t i = 0;
    while (valid_ && i < bytes.size()) {
        if (pending_ == 0) {
            i = FirstNonAscii(bytes, i);
            if (i == bytes.size()) {
                break;
            }
            const base::Utf8Lead lead = base::ReadUtf8Lead(static_cast<std::uint8_t>(bytes[i++]));
            valid_ = lead.trailing != 0;
            pending_ = lead.trailing;
            low_ = lead.low;
            high_ = lead.high;
            continue;
        }
        const auto byte = static_cast<std::uint8_t>(bytes[i++]);
        valid_ = byte >= low_ && byte <= high_;
        --pending_;
        low_ = 0x80;
        high_ = 0xBF;
    }
    return valid_;
}

bool IsValidUtf8(std::string_view bytes) {
    Utf8Validator validator;
    validator.Feed(bytes);
    return validator.Complete();
}

bool IsAscii(std::string_view bytes) {
    return FirstNonAscii(bytes, 0) == bytes.size();
}

}  // namespace fleet
