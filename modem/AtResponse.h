#pragma once

// What a line from the modem means while a given command runs. Pure: no port, no Qt.

#include <string>
#include <string_view>

namespace modem {

enum class LineKind {
    Ok,           // final: OK
    Error,        // final: ERROR, or a call result such as NO CARRIER
    CmsError,     // final: +CMS ERROR: <code>
    CmeError,     // final: +CME ERROR: <code>
    Echo,         // the command itself, echoed while echo is on
    Information,  // part of the command's answer
    Unsolicited,  // an indication that arrived on its own (RING, +CMTI, +CREG, ...)
};

struct ClassifiedLine {
    LineKind kind = LineKind::Information;
    int code = -1;     // CmsError / CmeError: the numeric code; -1 when the modem gave words instead
    std::string text;  // the line without blanks at its ends
};

// Classifies `line` as an answer to `command` (the command line as sent, without CR; empty while no
// command runs). `data` is the PDU sent after the command's "> " prompt, if any. The rules:
// - OK, ERROR, NO CARRIER, BUSY, NO ANSWER, NO DIALTONE, +CMS ERROR: n and +CME ERROR: n are final.
//   A code written in words (after AT+CMEE=2) keeps code -1.
// - A line equal to the command (ignoring case and blanks) or to `data` is an echo.
// - While no command runs, every other line is unsolicited.
// - RING, and every "+NAME:" or "^NAME:" line whose NAME differs from the command's (+CMTI:, +CREG:,
//   ^RSSI: during AT+CMGS=...), are unsolicited: AT+CREG? is answered by +CREG: lines, but no
//   command is answered by another command's name.
// - Everything else (+CMGS: 12 for AT+CMGS, the PDU line after +CMGR:, a manufacturer's name) is
//   information.
ClassifiedLine ClassifyLine(std::string_view line, std::string_view command, std::string_view data = {});

// True for an unsolicited line after which the modem sends one more line that belongs to it (the
// PDU of +CMT: and +CDS:, the message of +CBM:).
bool UnsolicitedTakesNextLine(std::string_view line);

// The integer after "<prefix>" in an information line such as "+CMGS: 12" or "+CMTI: "SM",3" (the
// last comma-separated field for the latter when `lastField`); -1 when absent or not a number.
int IntegerField(std::string_view line, std::string_view prefix, bool lastField = false);

// The first field after "+CPIN: " without quotes: READY, SIM PIN, SIM PUK, ...; empty when absent.
std::string PinState(std::string_view line);

}  // namespace modem
