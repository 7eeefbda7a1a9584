#include "sms/PhoneNumber.h"

#include <algorithm>

#include "base/AsciiText.h"

namespace sms {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '-' || c == '.';
}

std::string_view NationalPart(std::string_view normalized) {
    if (normalized.front() == '+') {
        normalized.remove_prefix(1);
        return normalized;
    }
    while (!normalized.empty() && normalized.front() == '0') {
        normalized.remove_prefix(1);
    }
    return normalized;
}

}  // namespace

std::optional<std::string> NormalizePhoneNumber(std::string_view typed) {
    const std::string trimmed(base::TrimBlanks(typed));
    std::string_view rest = trimmed;
    const bool international = !rest.empty() && rest.front() == '+';
    std::string number(international ? 1 : 0, '+');
    if (international) {
        rest.remove_prefix(1);
    }
    if (rest.empty() || !(IsDigit(rest.front()) || rest.front() == '(') ||
        !(IsDigit(rest.back()) || rest.back() == ')')) {
        return std::nullopt;
    }
    bool inBrackets = false;
    std::string group;
    for (const char c : rest) {
        if (IsDigit(c)) {
            (inBrackets ? group : number) += c;
        } else if (c == '(' && !inBrackets) {
            inBrackets = true;
            group.clear();
        } else if (c == ')' && inBrackets && !group.empty()) {
            inBrackets = false;
            const bool trunkPrefixAfterCountryCode = international && group == "0" && number.size() > 1;
            if (!trunkPrefixAfterCountryCode) {
                number += group;
            }
        } else if (inBrackets || !IsSeparator(c)) {
            return std::nullopt;
        }
    }
    const std::size_t digits = number.size() - (international ? 1 : 0);
    if (inBrackets || digits < kPhoneNumberMinDigits || digits > kPhoneNumberMaxDigits ||
        (international && number[1] == '0')) {
        return std::nullopt;
    }
    return number;
}

bool PhoneNumbersMatch(std::string_view a, std::string_view b) {
    const std::optional<std::string> first = NormalizePhoneNumber(a);
    const std::optional<std::string> second = NormalizePhoneNumber(b);
    if (!first || !second) {
        return false;
    }
    if (*first == *second) {
        return true;
    }
    if (first->front() == '+' && second->front() == '+') {
        return false;
    }
    const std::string_view x = NationalPart(*first);
    const std::string_view y = NationalPart(*second);
    const std::size_t shorter = std::min(x.size(), y.size());
    if (shorter == 0) {
        return false;
    }
    if (shorter < static_cast<std::size_t>(kPhoneNumberMinMatchDigits)) {
        return x == y;
    }
    return x.substr(x.size() - shorter) == y.substr(y.size() - shorter);
}

}  // namespace sms
