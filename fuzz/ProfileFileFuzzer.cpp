// Fuzzes the settings-file reader and writer on arbitrary file text. The input is one operation line,
// then the file's text:
//   <selector byte><value>\n<file text>
// The selector picks the section and the key (from the names the program uses, in several spellings)
// and whether the value is written as text or as an integer. The key is read, written and read back;
// the value read back must be the value written, modulo the documented value rules (cut at a line
// break or NUL, blanks dropped at both ends, one pair of matching quotes removed, at most 2047 bytes),
// and the write must leave every other line alone: only the key's own line changes, and a missing key
// or section adds lines without touching the others.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ProfileText.h"

namespace {

constexpr std::array<std::string_view, 4> kSections = {"Main", "main", "MAIN", "Other"};
constexpr std::array<std::string_view, 12> kKeys = {"nLanguageID",
                                                    "Server address mode",
                                                    "Port",
                                                    "Static IP",
                                                    "Domain address",
                                                    "SMS command type",
                                                    "Service network(APN)",
                                                    "Other APN",
                                                    "DTU number",
                                                    "port",
                                                    "DTU NUMBER",
                                                    "x"};

[[noreturn]] void Violation() {
    std::abort();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// What a reader gets back for `value` once the writer and the reader have applied their rules.
std::string Expected(std::string_view value) {
    value = value.substr(0, std::min(value.size(), value.find_first_of(std::string_view("\r\n\0", 3))));
    while (!value.empty() && IsBlank(value.front())) {
        value.remove_prefix(1);
    }
    while (!value.empty() && IsBlank(value.back())) {
        value.remove_suffix(1);
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// The integer rules, independently: sign, then decimal, or hexadecimal after "$" or "0x".
std::optional<int> ReferenceInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("$")) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    __int128 magnitude = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > __int128{1} << 40) {
            return std::nullopt;
        }
    }
    const __int128 value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// The text split into lines, each with its line end (CR LF, LF or CR).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        } else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
            end += 2;
        } else {
            end += 1;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

// Checks that `after` is `before` with only the key's line replaced (`replaced`) or with lines added
// at one place (the last old line may gain the line end it lacked).
void CheckOtherLinesKept(std::string_view before, std::string_view after, bool replaced) {
    // The byte-order mark stays in front and is no line of its own.
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (before.starts_with(kMark)) {
        if (!after.starts_with(kMark)) {
            Violation();
        }
        before.remove_prefix(kMark.size());
        after.remove_prefix(kMark.size());
    }
    const std::vector<std::string_view> a = Lines(before);
    const std::vector<std::string_view> b = Lines(after);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    const std::size_t changedOld = a.size() - head - tail;
    const std::size_t changedNew = b.size() - head - tail;
    if (replaced) {
        if (changedOld > 1 || changedNew > 1) {
            Violation();
        }
        return;
    }
    if (changedOld > 1 || changedNew > changedOld + 2) {
        Violation();
    }
    if (changedOld == 1) {
        // Only a last line without its line end may change, and only by gaining "\r\n".
        const std::string_view old = a[head];
        if (head + 1 != a.size() || old.ends_with('\n') || old.ends_with('\r') ||
            b[head] != std::string(old) + "\r\n") {
            Violation();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string_view operation = input.substr(0, lineEnd);
    if (operation.empty()) {
        return 0;
    }
    const std::string_view text =
        lineEnd == std::string_view::npos ? std::string_view() : input.substr(lineEnd + 1);
    const unsigned selector = static_cast<unsigned char>(operation[0]);
    const std::string_view value = operation.substr(1);
    const std::string_view section = kSections[selector % kSections.size()];
    const std::string_view key = kKeys[(selector / kSections.size()) % kKeys.size()];
    const bool asInteger = selector >= 0xC0;

    const settings::ProfileText before{std::string(text)};
    const std::optional<std::string_view> old = before.Find(section, key);

    // Reading: the integer rules, and the cap at 2047 bytes that never splits a UTF-8 character.
    if (old) {
        if (settings::ParseProfileInteger(*old) != ReferenceInteger(*old)) {
            Violation();
        }
        const std::string capped = settings::CapProfileValue(*old);
        if (capped.size() > settings::kMaxReadValueBytes || !old->starts_with(capped) ||
            (old->size() > settings::kMaxReadValueBytes &&
             capped.size() + 3 < settings::kMaxReadValueBytes)) {
            Violation();
        }
    }

    std::string written(value);
    if (asInteger) {
        written = std::to_string(ReferenceInteger(value).value_or(static_cast<int>(value.size()) - 1000));
    }
    const std::string after = before.WithValue(section, key, written);
    const settings::ProfileText reread{after};
    const std::optional<std::string_view> back = reread.Find(section, key);
    if (!back || *back != Expected(written)) {
        Violation();
    }
    if (asInteger && settings::ParseProfileInteger(*back) != ReferenceInteger(written)) {
        Violation();
    }
    CheckOtherLinesKept(text, after, old.has_value());
    return 0;
}
