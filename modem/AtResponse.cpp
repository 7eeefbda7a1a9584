#include "modem/AtResponse.h"

#include "base/AsciiText.h"

namespace modem {
namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           base::EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// "+CMGS" for "AT+CMGS=23", "+CPIN" for "AT+CPIN?"; empty for commands without a "+" name.
std::string_view CommandName(std::string_view command) {
    command = base::TrimBlanks(command);
    if (!StartsWithIgnoringCase(command, "AT")) {
        return {};
    }
    command.remove_prefix(2);
    if (command.empty() || (command.front() != '+' && command.front() != '^')) {
        return {};
    }
    std::size_t end = 1;
    while (end < command.size() && std::isalnum(static_cast<unsigned char>(command[end])) != 0) {
        ++end;
    }
    return command.substr(0, end);
}

// "+CREG" for "+CREG: 1,2"; empty when the line is not of the "+NAME:" or "^NAME:" form.
std::string_view LineName(std::string_view line) {
    if (line.empty() || (line.front() != '+' && line.front() != '^')) {
        return {};
    }
    std::size_t end = 1;
    while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end])) != 0) {
        ++end;
    }
    if (end == 1 || end >= line.size() || line[end] != ':') {
        return {};
    }
    return line.substr(0, end);
}

int ParseCode(std::string_view digits) {
    digits = base::TrimBlanks(digits);
    if (digits.empty() || digits.size() > 6) {
        return -1;
    }
    int value = 0;
    for (const char c : digits) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

ClassifiedLine ClassifyLine(std::string_view line, std::string_view command, std::string_view data) {
    ClassifiedLine result;
    const std::string_view text = base::TrimBlanks(line);
    result.text = std::string(text);
    if (text == "OK") {
        result.kind = LineKind::Ok;
        return result;
    }
    if (text == "ERROR" || text == "NO CARRIER" || text == "BUSY" || text == "NO ANSWER" ||
        text == "NO DIALTONE") {
        result.kind = LineKind::Error;
        return result;
    }
    for (const auto& [prefix, kind] : {std::pair{std::string_view("+CMS ERROR:"), LineKind::CmsError},
                                       std::pair{std::string_view("+CME ERROR:"), LineKind::CmeError}}) {
        if (StartsWithIgnoringCase(text, prefix)) {
            result.kind = kind;
            result.code = ParseCode(text.substr(prefix.size()));
            return result;
        }
    }
    const std::string_view sent = base::TrimBlanks(command);
    const std::string_view sentData = base::TrimBlanks(data);
    if ((!sent.empty() && base::EqualsIgnoringAsciiCase(text, sent)) ||
        (!sentData.empty() && text == sentData)) {
        result.kind = LineKind::Echo;
        return result;
    }
    // Indications (+CMTI, +CREG, ^RSSI, ...) are named after the command that configures them, never
    // after the one running, so any line named after another command is no part of this answer.
    const std::string_view name = LineName(text);
    if (sent.empty() || text == "RING" ||
        (!name.empty() && !base::EqualsIgnoringAsciiCase(name, CommandName(command)))) {
        result.kind = LineKind::Unsolicited;
        return result;
    }
    result.kind = LineKind::Information;
    return result;
}

bool UnsolicitedTakesNextLine(std::string_view line) {
    const std::string_view name = LineName(base::TrimBlanks(line));
    return base::EqualsIgnoringAsciiCase(name, "+CMT") || base::EqualsIgnoringAsciiCase(name, "+CDS") ||
           base::EqualsIgnoringAsciiCase(name, "+CBM");
}

int IntegerField(std::string_view line, std::string_view prefix, bool lastField) {
    std::string_view text = base::TrimBlanks(line);
    if (!StartsWithIgnoringCase(text, prefix)) {
        return -1;
    }
    text.remove_prefix(prefix.size());
    if (lastField) {
        const std::size_t comma = text.rfind(',');
        if (comma != std::string_view::npos) {
            text.remove_prefix(comma + 1);
        }
    } else {
        text = text.substr(0, text.find(','));
    }
    return ParseCode(text);
}

std::string PinState(std::string_view line) {
    std::string_view text = base::TrimBlanks(line);
    if (!StartsWithIgnoringCase(text, "+CPIN:")) {
        return {};
    }
    text = base::TrimBlanks(text.substr(6));
    text = text.substr(0, text.find(','));
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(base::TrimBlanks(text));
}

}  // namespace modem
