#include "settings/ProfileText.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "base/AsciiText.h"

namespace settings {
namespace {

std::size_t ByteOrderMarkSize(std::string_view text) {
    return text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Narrows [begin, end) of `text` past blanks at both ends.
void DropBlanks(const std::string& text, std::size_t& begin, std::size_t& end) {
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = base::AsciiLower(c);
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

}  // namespace

ProfileText::ProfileText(std::string text) : text_(std::move(text)) {
    Parse();
}

void ProfileText::Parse() {
    // Editors that save UTF-8 with a byte-order mark put it before the first section header.
    std::size_t pos = ByteOrderMarkSize(text_);
    while (pos < text_.size()) {
        Line line = LineAt(pos);
        Classify(line);
        lines_.push_back(line);
        pos = line.next;
    }
}

ProfileText::Line ProfileText::LineAt(std::size_t pos) const {
    Line line;
    line.begin = pos;
    std::size_t end = text_.find_first_of("\r\n", pos);
    if (end == std::string::npos) {
        end = text_.size();
        line.next = end;
    } else if (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') {
        line.next = end + 2;
    } else {
        line.next = end + 1;
    }
    line.end = end;
    return line;
}

void ProfileText::Classify(Line& line) const {
    std::size_t first = line.begin;
    std::size_t last = line.end;
    DropBlanks(text_, first, last);
    if (first == last || text_[first] == ';') {
        return;
    }
    if (text_[first] == '[') {
        const std::size_t close = text_.find(']', first + 1);
        if (close != std::string::npos && close < last) {
            std::size_t nameBegin = first + 1;
            std::size_t nameEnd = close;
            DropBlanks(text_, nameBegin, nameEnd);
            line.kind = LineKind::Section;
            line.nameBegin = nameBegin;
            line.nameSize = nameEnd - nameBegin;
        }
        return;
    }
    const std::size_t equals = text_.find('=', first);
    if (equals == std::string::npos || equals >= last) {
        return;
    }
    std::size_t keyEnd = equals;
    std::size_t keyBegin = first;
    DropBlanks(text_, keyBegin, keyEnd);
    std::size_t valueBegin = equals + 1;
    std::size_t valueEnd = last;
    DropBlanks(text_, valueBegin, valueEnd);
    if (valueEnd - valueBegin >= 2 && (text_[valueBegin] == '"' || text_[valueBegin] == '\'') &&
        text_[valueEnd - 1] == text_[valueBegin]) {
        ++valueBegin;
        --valueEnd;
    }
    line.kind = LineKind::Key;
    line.nameBegin = keyBegin;
    line.nameSize = keyEnd - keyBegin;
    line.valueBegin = valueBegin;
    line.valueSize = valueEnd - valueBegin;
}

ProfileText::KeyLocation ProfileText::Locate(std::string_view section, std::string_view key) const {
    KeyLocation location;
    std::size_t i = 0;
    for (; i < lines_.size(); ++i) {
        if (lines_[i].kind == LineKind::Section && base::EqualsIgnoringAsciiCase(Name(lines_[i]), section)) {
            location.sectionLine = i;
            break;
        }
    }
    if (!location.sectionLine) {
        return location;
    }
    for (++i; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i) {
        if (lines_[i].kind != LineKind::Key) {
            continue;
        }
        location.lastKeyLine = i;
        if (!location.keyLine && base::EqualsIgnoringAsciiCase(Name(lines_[i]), key)) {
            location.keyLine = i;
        }
    }
    return location;
}

std::optional<std::string_view> ProfileText::Find(std::string_view section, std::string_view key) const {
    const KeyLocation location = Locate(section, key);
    if (!location.keyLine) {
        return std::nullopt;
    }
    const Line& line = lines_[*location.keyLine];
    return std::string_view(text_.data() + line.valueBegin, line.valueSize);
}

std::optional<std::string> ProfileText::ReadText(std::string_view section, std::string_view key) const {
    const std::optional<std::string_view> value = Find(section, key);
    return value ? std::optional<std::string>(CapProfileValue(*value)) : std::nullopt;
}

int ProfileText::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const std::optional<std::string> value = ReadText(section, key);
    return value ? ParseProfileInteger(*value).value_or(defaultValue) : defaultValue;
}

std::string ProfileText::WithValue(std::string_view section, std::string_view key,
                                   std::string_view value) const {
    if (section.empty() || HasLineBreakOrNul(section) || section.find(']') != std::string_view::npos) {
        throw std::invalid_argument("profile section name cannot be written: " + std::string(section));
    }
    if (key.empty() || HasLineBreakOrNul(key) || key.find('=') != std::string_view::npos) {
        throw std::invalid_argument("profile key cannot be written: " + std::string(key));
    }
    // Everything after a line break would be read back as a line of its own (a stray key or even a
    // section header), and a NUL ends the value for C readers; so the value stops there.
    value = value.substr(0, std::min(value.size(), value.find_first_of(std::string_view("\r\n\0", 3))));

    const KeyLocation location = Locate(section, key);
    std::string result;
    result.reserve(text_.size() + section.size() + key.size() + value.size() + 8);

    if (location.keyLine) {
        // The line is written as every written line is, key=value without blanks, but under the
        // key's spelling in the file; its line end stays as it was.
        const Line& line = lines_[*location.keyLine];
        result.append(text_, 0, line.begin);
        result.append(text_, line.nameBegin, line.nameSize);
        result.append("=").append(value);
        result.append(text_, line.end, std::string::npos);
        return result;
    }

    std::size_t insertAt = text_.size();
    if (location.sectionLine) {
        insertAt = lines_[location.lastKeyLine.value_or(*location.sectionLine)].next;
    }
    result.append(text_, 0, insertAt);
    // The line we add after has no line end only when it is the last line of the file.
    if (insertAt > ByteOrderMarkSize(text_) && text_[insertAt - 1] != '\n' && text_[insertAt - 1] != '\r') {
        result.append("\r\n");
    }
    if (!location.sectionLine) {
        result.append("[").append(section).append("]\r\n");
    }
    result.append(key).append("=").append(value).append("\r\n");
    result.append(std::string_view(text_).substr(insertAt));
    return result;
}

std::string CapProfileValue(std::string_view value) {
    if (value.size() <= kMaxReadValueBytes) {
        return std::string(value);
    }
    const auto isContinuation = [value](std::size_t i) {
        return (static_cast<unsigned char>(value[i]) & 0xC0) == 0x80;
    };
    std::size_t cut = kMaxReadValueBytes;
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && isContinuation(lead)) {
        --lead;
    }
    if (lead < cut && static_cast<unsigned char>(value[lead]) >= 0xC0) {
        cut = lead;
    }
    return std::string(value.substr(0, cut));
}

std::optional<int> ParseProfileInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        const int digit = base == 16 ? HexDigit(c) : ((c >= '0' && c <= '9') ? c - '0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace settings
