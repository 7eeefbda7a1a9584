// Fuzzes the AT line reader and the classification of the modem's answers. The input is the byte
// stream of a serial port; its first byte chooses how it is cut into reads and which command runs.
//
// Properties: the events do not depend on how the stream is cut into reads; no line is empty, longer
// than the reader's limit or holds a control byte; the classification of each line never throws, an
// error code is -1 or a non-negative number, and only a final error line carries one.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "modem/AtLineReader.h"
#include "modem/AtResponse.h"
#include "modem/ErrorCodes.h"

namespace {

[[noreturn]] void Violation() {
    std::abort();
}

bool SameEvents(const std::vector<modem::AtEvent>& a, const std::vector<modem::AtEvent>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].text != b[i].text) {
            return false;
        }
    }
    return true;
}

constexpr const char* kCommands[] = {"", "AT", "AT+CPIN?", "AT+CMGS=23", "AT+CMGR=1", "AT+CREG?"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t control = data[0];
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

    modem::AtLineReader whole;
    const std::vector<modem::AtEvent> once = whole.Feed(stream);

    modem::AtLineReader pieces;
    std::vector<modem::AtEvent> cut;
    const std::size_t step = 1 + control % 7;
    for (std::size_t at = 0; at < stream.size(); at += step) {
        for (modem::AtEvent& event : pieces.Feed(stream.substr(at, step))) {
            cut.push_back(std::move(event));
        }
    }
    if (!SameEvents(once, cut) || whole.Pending() != pieces.Pending()) {
        Violation();
    }

    const char* command = kCommands[(control >> 4) % (sizeof kCommands / sizeof kCommands[0])];
    for (const modem::AtEvent& event : once) {
        if (event.kind == modem::AtEvent::Kind::Prompt) {
            if (!event.text.empty()) {
                Violation();
            }
            continue;
        }
        if (event.text.empty() || event.text.size() > modem::AtLineReader::kMaxLineBytes) {
            Violation();
        }
        for (const char c : event.text) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                Violation();
            }
        }
        const modem::ClassifiedLine line = modem::ClassifyLine(event.text, command, "0011");
        const bool coded = line.kind == modem::LineKind::CmsError || line.kind == modem::LineKind::CmeError;
        if (line.code < -1 || (!coded && line.code != -1)) {
            Violation();
        }
        if (line.kind == modem::LineKind::CmsError) {
            (void)modem::CmsErrorMeaning(line.code);
        } else if (line.kind == modem::LineKind::CmeError) {
            (void)modem::CmeErrorMeaning(line.code);
        }
        (void)modem::IntegerField(event.text, "+CMTI:", true);
        (void)modem::IntegerField(event.text, "+CMGS:");
        (void)modem::PinState(event.text);
        (void)modem::UnsolicitedTakesNextLine(event.text);
    }
    return 0;
}
