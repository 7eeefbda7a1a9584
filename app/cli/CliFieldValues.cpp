// The field values as the field flags and the cells of a batch file give them.

#include <array>
#include <string_view>

#include "app/cli/CliOptionTable.h"
#include "app/cli/CliOptions.h"
#include "base/AsciiText.h"

namespace app {
namespace {

struct Choice {
    std::string_view name;
    int value;
};

constexpr std::array<Choice, 2> kTypes{{{"config", 0}, {"query", 1}}};
constexpr std::array<Choice, 2> kModes{{{"static", 0}, {"domain", 1}}};
constexpr std::array<Choice, 4> kApns{{{"cmnet", 0}, {"cmwap", 1}, {"uninet", 2}, {"other", 3}}};

template <std::size_t N>
std::string ChoiceList(const std::array<Choice, N>& choices) {
    std::string list;
    for (const Choice& choice : choices) {
        list += list.empty() ? "" : "|";
        list += choice.name;
    }
    return list;
}

template <std::size_t N>
std::optional<FieldValueError> Choose(const std::array<Choice, N>& choices, std::string_view text,
                                      std::optional<int>& field) {
    for (const Choice& choice : choices) {
        if (base::EqualsIgnoringAsciiCase(choice.name, text)) {
            field = choice.value;
            return std::nullopt;
        }
    }
    return FieldValueError{FieldValueError::Kind::NotAChoice, ChoiceList(choices)};
}

}  // namespace

std::string FieldChoiceList(FieldName name) {
    switch (name) {
        case FieldName::Type:
            return ChoiceList(kTypes);
        case FieldName::Mode:
            return ChoiceList(kModes);
        case FieldName::Apn:
            return ChoiceList(kApns);
        default:
            return {};
    }
}

std::optional<int> ParseFieldPort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < kFieldPortRange.low || value > kFieldPortRange.high) {
        return std::nullopt;
    }
    return value;
}

std::optional<FieldValueError> ApplyFieldValue(FieldName name, std::string_view value,
                                               CliFieldOverrides& fields) {
    switch (name) {
        case FieldName::Type:
            return Choose(kTypes, value, fields.smsCommandType);
        case FieldName::Mode:
            return Choose(kModes, value, fields.serverAddressMode);
        case FieldName::Apn:
            return Choose(kApns, value, fields.serviceNetwork);
        case FieldName::Port:
            fields.port = ParseFieldPort(value);
            if (!fields.port) {
                return FieldValueError{FieldValueError::Kind::NotAPort, {}};
            }
            return std::nullopt;
        case FieldName::Ip:
            fields.staticIp = value;
            break;
        case FieldName::Domain:
            fields.domainAddress = value;
            break;
        case FieldName::OtherApn:
            fields.otherApn = value;
            break;
        case FieldName::Dtu:
            fields.dtuNumber = value;
            break;
    }
    return std::nullopt;
}

}  // namespace app
