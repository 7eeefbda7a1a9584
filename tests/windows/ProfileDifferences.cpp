#include "tests/windows/ProfileDifferences.h"

#include <algorithm>
#include <vector>

#include "settings/ProfileText.h"

namespace winprofile {
namespace {

constexpr std::size_t kLimit = settings::kMaxReadValueBytes;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}

// The length of the well-formed UTF-8 sequence at the start of `text` (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

// The well-formed UTF-8 of `text` with every other byte left out; `invalid` counts those bytes.
std::string DropInvalidUtf8(std::string_view text, std::size_t* invalid = nullptr) {
    std::string out;
    std::size_t dropped = 0;
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            ++dropped;
            text.remove_prefix(1);
            continue;
        }
        out.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    if (invalid != nullptr) {
        *invalid = dropped;
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t invalid = 0;
    DropInvalidUtf8(text, &invalid);
    return invalid == 0;
}

// UTF-16 units of UTF-8 text; a byte outside any sequence counts as the one unit it decodes to.
std::size_t Utf16Units(std::string_view text) {
    std::size_t units = 0;
    while (!text.empty()) {
        const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(text), 1);
        units += length == 4 ? 2 : 1;
        text.remove_prefix(length);
    }
    return units;
}

std::string EraseReplacementCharacters(std::string text) {
    for (std::size_t at = text.find(kReplacementCharacter); at != std::string::npos;
         at = text.find(kReplacementCharacter, at)) {
        text.erase(at, kReplacementCharacter.size());
    }
    return text;
}

// Whether, in the first section named `section`, a line holding just `key` (no "=") comes before
// the first line that sets `key`.
bool BareNameBeforeKey(std::string_view file, std::string_view section, std::string_view key) {
    if (file.starts_with(kByteOrderMark)) {
        file.remove_prefix(kByteOrderMark.size());
    }
    bool inSection = false;
    while (!file.empty()) {
        const std::size_t end = std::min(file.find_first_of("\r\n"), file.size());
        const std::string_view line = Trim(file.substr(0, end));
        file.remove_prefix(std::min(end + 1, file.size()));
        if (line.starts_with('[') && line.find(']') != std::string_view::npos) {
            if (inSection) {
                return false;
            }
            inSection = EqualsIgnoringAsciiCase(Trim(line.substr(1, line.find(']') - 1)), section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            if (EqualsIgnoringAsciiCase(Trim(line.substr(0, equals)), key)) {
                return false;
            }
        } else if (EqualsIgnoringAsciiCase(line, key)) {
            return true;
        }
    }
    return false;
}

// The texts between the quotes of every quoted value in the file that starts with `start`.
std::vector<std::string_view> QuotedValuesStartingWith(std::string_view file, std::string_view start) {
    std::vector<std::string_view> values;
    for (const char quote : {'"', '\''}) {
        const std::string opening = quote + std::string(start);
        for (std::size_t at = file.find(opening); at != std::string_view::npos;
             at = file.find(opening, at + 1)) {
            const std::size_t lineEnd = std::min(file.find_first_of("\r\n", at), file.size());
            const std::string_view value = Trim(file.substr(at, lineEnd - at));
            if (value.size() >= 2 && value.back() == quote) {
                values.push_back(value.substr(1, value.size() - 2));
            }
        }
    }
    return values;
}

bool IsQuotedValueAtLimit(std::string_view file, bool utf8, const OurReading& ours, const Answer& api) {
    if (api.units.size() + 1 != kLimit) {
        return false;
    }
    const std::vector<std::string_view> values = QuotedValuesStartingWith(file, api.bytes);
    return std::any_of(values.begin(), values.end(), [&](std::string_view inner) {
        if ((utf8 ? Utf16Units(inner) : inner.size()) != kLimit) {
            return false;
        }
        // Ours is the whole text between the quotes, or in a UTF-8 file its cut at the byte limit.
        return utf8 ? inner.starts_with(ours.text) && ours.text.size() + 3 >= std::min(inner.size(), kLimit)
                    : inner == ours.text;
    });
}

Verdict CompareText(std::string_view file, const Question& question, const OurReading& ours,
                    const Answer& api) {
    if (ours.found != api.found) {
        return ours.found && BareNameBeforeKey(file, question.section, question.key)
                   ? Verdict::BareNameHidesKey
                   : Verdict::Unexplained;
    }
    if (ours.text == api.bytes) {
        return Verdict::Same;
    }
    const bool utf8 = file.starts_with(kByteOrderMark);
    if (ours.found && IsQuotedValueAtLimit(file, utf8, ours, api)) {
        return Verdict::QuotedValueAtLimit;
    }
    if (ours.found && utf8) {
        const std::string oursUtf8 = DropInvalidUtf8(ours.text);
        const std::string apiUtf8 = EraseReplacementCharacters(api.bytes);
        if (!IsValidUtf8(ours.text) && oursUtf8 == apiUtf8) {
            return Verdict::NonUtf8InUtf8File;
        }
        if (api.bytes.size() > kLimit && ours.text.size() <= kLimit && ours.text.size() + 3 >= kLimit &&
            (apiUtf8.starts_with(oursUtf8) || oursUtf8.starts_with(apiUtf8))) {
            return Verdict::CutInUnitsNotBytes;
        }
    }
    return Verdict::Unexplained;
}

// Plain decimal text that both conversions read alike: a sign, digits, nothing else, in range.
bool IsPlainDecimal(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    return !digits.empty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           settings::ParseProfileInteger(text).has_value();
}

Verdict CompareInteger(const Question& question, const OurReading& ours, const Answer& api, Verdict text) {
    if (ours.integer == api.integer) {
        return Verdict::Same;
    }
    // ReadInteger must be ReadString's value converted by the settings rule, whatever the API says.
    const int expected = ours.found
                             ? settings::ParseProfileInteger(ours.text).value_or(question.defaultInteger)
                             : question.defaultInteger;
    if (ours.integer != expected || text == Verdict::Unexplained) {
        return Verdict::Unexplained;
    }
    if (text != Verdict::Same) {
        return Verdict::FollowsText;
    }
    // A missing key gives the default integer on both sides.
    if (!ours.found) {
        return Verdict::Unexplained;
    }
    return IsPlainDecimal(ours.text) ? Verdict::Unexplained : Verdict::IntegerRule;
}

}  // namespace

std::string_view VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Same:
            return "same";
        case Verdict::BareNameHidesKey:
            return "a name without = hides the key (Wine)";
        case Verdict::QuotedValueAtLimit:
            return "quoted value exactly at the limit (Wine)";
        case Verdict::NonUtf8InUtf8File:
            return "bytes that are no UTF-8 in a UTF-8 file";
        case Verdict::CutInUnitsNotBytes:
            return "long UTF-8 value cut in UTF-16 units";
        case Verdict::FollowsText:
            return "integer differs because the text does";
        case Verdict::IntegerRule:
            return "integer conversion rule";
        case Verdict::Unexplained:
            return "UNEXPLAINED";
    }
    return "?";
}

Comparison Compare(std::string_view file, const Question& question, const OurReading& ours,
                   const Answer& api) {
    Comparison comparison;
    comparison.text = CompareText(file, question, ours, api);
    comparison.integer = CompareInteger(question, ours, api, comparison.text);
    return comparison;
}

}  // namespace winprofile
