#pragma once

// Sending a text message through a GSM modem and reading the DTU's answer. This header is the whole
// public face of the modem library and holds standard C++ only: the command line, which never links
// Qt, loads the implementation as a plugin (modem/Plugin.h) and talks to it through these types.
//
// A transport reaches a modem either through ModemManager over D-Bus or directly through a serial
// port with AT commands in PDU mode. Every call blocks the calling thread until it is done, runs its
// own event loop meanwhile (so the window calls it from a worker thread, the command line from its
// main thread) and never throws.

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Placeholders.h"

namespace modem {

// One argument of a Message. A translatable argument is itself an English message identifier (the
// meaning of an error code, for instance) that the caller translates before filling it in.
struct MessageArg {
    std::string text;
    bool translatable = false;
};

// A text for the user, never translated here: `text` is English with "%s" and "%d" placeholders and
// is the catalogs' message identifier; `args` fill the placeholders in order (numbers already
// written in decimal).
struct Message {
    std::string text;
    std::vector<MessageArg> args;
};

// The message with its placeholders filled by base::FillPlaceholders: the English text says, in
// order, which argument fills a "%s" and which (a decimal number) a "%d", so that a translation may
// order them otherwise; "%%" gives "%". `translate` (identity when empty) is applied to the text and
// to the translatable arguments. A translation that lacks placeholders simply drops the arguments;
// placeholders beyond the arguments, other "%" sequences and the inserted texts themselves are left
// as they stand.
inline std::string RenderMessage(const Message& message,
                                 const std::function<std::string(const std::string&)>& translate = {}) {
    auto tr = [&](const std::string& text) { return translate ? translate(text) : text; };
    std::vector<base::FormatArg> args;
    std::size_t next = 0;
    const std::string& english = message.text;
    for (std::size_t i = 0; i + 1 < english.size() && next < message.args.size(); ++i) {
        if (english[i] != '%') {
            continue;
        }
        const char kind = english[++i];
        if (kind != 's' && kind != 'd') {
            continue;
        }
        const MessageArg& arg = message.args[next++];
        std::string text = arg.translatable ? tr(arg.text) : arg.text;
        long long number = 0;
        const char* end = text.data() + text.size();
        if (kind == 'd' && std::from_chars(text.data(), end, number).ptr == end && !text.empty()) {
            args.emplace_back(number);
        } else {
            args.emplace_back(std::move(text));
        }
    }
    return base::FillPlaceholders(tr(english), args);
}

// Why a call did not do everything it was asked to do.
enum class ErrorKind {
    None,            // success
    InvalidRequest,  // a number that is not a phone number, an empty text, an unknown modem choice
    NoModem,         // nothing answered, or ModemManager manages no usable modem
    ModemBusy,       // the port is held by another program (ModemManager, a terminal)
    NoAnswer,        // the modem did not answer within the time-outs, or answered only garbage
    SimPin,          // the SIM card needs its PIN (or PUK)
    NoSim,           // no SIM card, or a SIM failure
    PduModeRefused,  // the modem works only in text mode
    Refused,         // the modem or the network refused a command (ERROR, +CMS ERROR, +CME ERROR)
    DeviceLost,      // the device vanished (unplugged) during the exchange
    Unconfirmed,     // a part was handed over but its confirmation never came: it may have been sent
    NoReply,         // no reply from the number within the waiting time
    Cancelled,       // Cancel() was called
    ServiceError,    // ModemManager or the D-Bus system bus failed
};

struct Error {
    ErrorKind kind = ErrorKind::None;
    Message message;  // empty text when kind is None
};

// Where a call is. Progress is reported on the calling thread.
enum class Stage {
    Probing,          // looking for a modem (modem "auto")
    Opening,          // opening the port or asking ModemManager
    CheckingSim,      // AT+CPIN?
    Sending,          // part `part` of `parts`
    WaitingForReply,  // `secondsLeft` of the waiting time remain
    ReadingReply,     // a message arrived and is being read
};

struct Progress {
    Stage stage = Stage::Opening;
    int part = 0;  // Sending: 1-based part number
    int parts = 0;
    int secondsLeft = 0;  // WaitingForReply
    Message message;      // the stage in words, for a status line
};

// One line of the exchange with the modem. Commands, answers, PDUs and D-Bus calls are logged as
// they pass; a note is the transport's own remark (port opened, modem chosen, time-out).
struct LogEntry {
    enum class Direction { ToModem, FromModem, Note };
    std::int64_t elapsedMs = 0;  // since the transport was created
    Direction direction = Direction::Note;
    std::string text;  // printable ASCII/UTF-8; control bytes written as <CR>, <LF>, <ESC>, <Ctrl-Z>, <0x07>
};

// "[  12.345] >> AT+CMGS=23" for a line sent, "<<" for a line received, "--" for a note.
inline std::string FormatLogEntry(const LogEntry& entry) {
    char stamp[32];
    const long long ms = entry.elapsedMs < 0 ? 0 : entry.elapsedMs;
    std::snprintf(stamp, sizeof stamp, "[%4lld.%03lld] ", ms / 1000, ms % 1000);
    const char* arrow = entry.direction == LogEntry::Direction::ToModem     ? ">> "
                        : entry.direction == LogEntry::Direction::FromModem ? "<< "
                                                                            : "-- ";
    return std::string(stamp) + arrow + entry.text;
}

enum class ModemKind { Automatic, ModemManager, Serial };

// A modem that can be chosen. `id` is what SendRequest::modem takes.
struct ModemInfo {
    std::string id;     // "auto", a ModemManager modem object path, or a serial device path
    std::string label;  // manufacturer and model, or the port's description; not translated
    ModemKind kind = ModemKind::Serial;
    bool usable = false;  // answers and has a ready SIM card (the automatic entry: a modem was found)
    Message status;       // e.g. "ready", "held by ModemManager", "the SIM card needs its PIN"
};

struct SendRequest {
    // "auto": ModemManager when it runs and manages a usable modem, otherwise the first serial port
    // that answers and has a ready SIM; "mm": the first modem ModemManager manages; a ModemManager
    // modem object path (/org/freedesktop/ModemManager1/Modem/N); anything else: a serial device path.
    std::string modem = "auto";
    std::string number;  // the destination as typed: optional "+", digits, blanks, dashes, dots, brackets
    std::string text;    // UTF-8
    std::string smsc;    // service-centre number; empty: the SIM's own
    int replyTimeoutSeconds = 0;  // above 0: keep the modem and wait this long for an answer from `number`
};

struct SendResult {
    std::string modem;                    // the id of the modem used; empty when none was reached
    int parts = 0;                        // parts of the message (0 when it was never composed)
    std::vector<std::string> references;  // one per confirmed part, in order; a serial part's
                                          // message reference, or a ModemManager SMS object path
    std::optional<std::string> reply;     // the reply's text (parts joined) when one came in time
    Error error;                          // kind None when every part was sent and, if asked for, a
                                          // reply came; parts after a failed one are never tried
};

struct ReplyRequest {
    std::string modem = "auto";  // as SendRequest::modem
    std::string number;          // who is expected to answer
    int timeoutSeconds = 120;
};

struct ReplyResult {
    std::string modem;
    std::optional<std::string> reply;
    Error error;  // NoReply when the time ran out
};

// Time-outs in milliseconds. The defaults suit real modems; tests shorten them.
struct Timeouts {
    int answerMs = 2000;       // each try of the first "AT"
    int answerTries = 3;       // tries of the first "AT"
    int probeMs = 1000;        // "AT" to each candidate port while looking for a modem
    int commandMs = 10000;     // any other command until its final result
    int promptMs = 10000;      // AT+CMGS=<length> until the "> " prompt
    int partMs = 60000;        // one part, from AT+CMGS=<length> until +CMGS: <reference> and OK
    int cancelGraceMs = 3000;  // after a cancel, how long a part already handed over may take to be
                               // confirmed, so the caller learns whether it went out
    int dbusMs = 25000;        // one D-Bus call to ModemManager
};

// The replies that the modems of a pool share, so that a reply is matched to its row whichever modem
// receives it. A modem waiting for one number that receives a whole message from another number
// deposits it here; a modem waiting for a number takes a message from that number that arrived
// after its own send began. Each message is taken once; what nobody takes goes with the exchange.
// Safe from any thread. The program running the pool provides it; a transport only calls it.
class ReplyExchange {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~ReplyExchange() = default;

    // Leaves a whole message from `sender` (as received) that arrived at `arrived`.
    virtual void Deposit(const std::string& sender, const std::string& text, Clock::time_point arrived) = 0;

    // Takes the earliest message left whose sender matches `number` (sms::PhoneNumbersMatch) and that
    // arrived at `since` or later; nothing when there is none.
    virtual std::optional<std::string> Take(const std::string& number, Clock::time_point since) = 0;
};

struct TransportOptions {
    int baudRate = 115200;  // serial ports, 8N1
    bool useModemManager = true;
    std::string dbusAddress;                  // empty: the system bus
    std::vector<std::string> candidatePorts;  // for "auto"; empty: /dev/ttyUSB*, /dev/ttyACM* and the
                                              // serial ports the system lists
    Timeouts timeouts;
    std::function<void(const Progress&)> onProgress;  // called on the calling thread
    std::function<void(const LogEntry&)> onLog;       // called on the calling thread, for each entry
    ReplyExchange* replies = nullptr;  // shared with the other modems of a pool; outlives the transport
};

class SmsTransport {
public:
    virtual ~SmsTransport() = default;

    // The automatic entry first, then the modems ModemManager manages, then the serial ports; each
    // serial port is opened and asked "AT" and "AT+CPIN?" unless ModemManager holds it.
    virtual std::vector<ModemInfo> ListModems() = 0;

    // Sends `request.text` to `request.number`, in as many parts as the text needs, then waits for
    // the reply when asked to. See SendResult for the outcome.
    virtual SendResult Send(const SendRequest& request) = 0;

    // Waits for a message from `request.number` without sending anything.
    virtual ReplyResult WaitForReply(const ReplyRequest& request) = 0;

    // Makes the call in progress return promptly with ErrorKind::Cancelled, and every later call
    // too: a cancelled transport is done. Safe from any thread and from a signal handler. A part
    // waiting for its "> " prompt is aborted with ESC, so nothing is sent half; a part already handed
    // over is given Timeouts::cancelGraceMs to be confirmed.
    virtual void Cancel() noexcept = 0;

    // Everything logged so far. Safe from any thread.
    virtual std::vector<LogEntry> Log() const = 0;
};

}  // namespace modem
