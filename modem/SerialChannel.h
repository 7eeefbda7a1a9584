#pragma once

// One open serial port and the AT dialogue on it: a command and its answer, the "> " prompt of a
// part, and the unsolicited lines that arrive meanwhile. Plain blocking calls on the calling thread;
// every wait ends at its deadline, on Cancel() of the transport, or when the device vanishes.

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "modem/AtLineReader.h"
#include "modem/AtResponse.h"
#include "modem/Context.h"
#include "modem/SerialPort.h"

namespace modem {

struct CommandAnswer {
    enum class Status {
        Final,      // a final result came: see `final`
        Timeout,    // none came in time
        Cancelled,  // the transport was cancelled
        Lost,       // the device vanished
    };
    Status status = Status::Timeout;
    ClassifiedLine final;            // Final: OK, ERROR, +CMS ERROR or +CME ERROR
    std::vector<std::string> lines;  // the information lines before it
    bool Ok() const { return status == Status::Final && final.kind == LineKind::Ok; }
};

struct PartAnswer {
    CommandAnswer answer;
    bool handedOver = false;  // the PDU and Ctrl-Z were written: the part may have gone out
    bool prompted = false;    // the "> " prompt came
};

class SerialChannel final {
public:
    explicit SerialChannel(Context& context);
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Opens `path` at `baudRate`, 8N1, no flow control. On failure `errorText` gets the system's
    // reason and `busy` tells whether another program holds the port.
    bool Open(const std::string& path, int baudRate, std::string* errorText, bool* busy);
    void Close();
    bool IsOpen() const;
    const std::string& path() const { return path_; }

    // Writes `command` and CR, and waits up to `timeoutMs` for its final result.
    CommandAnswer Command(const std::string& command, int timeoutMs);

    // Sends one part: `command` (AT+CMGS=<length>), the "> " prompt within `promptMs`, then `pdu` and
    // Ctrl-Z, then the final result within `partMs` of the start. Without a prompt (time-out, cancel)
    // ESC aborts the pending input so nothing goes out. Once the PDU is handed over a cancel waits
    // up to `graceMs` more for the result, so the caller learns whether it went.
    PartAnswer SendPart(const std::string& command, const std::string& pdu, int promptMs, int partMs,
                        int graceMs);

    // Waits until an unsolicited line is queued, `timeoutMs` passes, the transport is cancelled or the
    // device vanishes; returns false for the last two.
    bool WaitForUnsolicited(int timeoutMs);

    // The unsolicited lines received so far, oldest first; a two-line indication (+CMT: and its PDU)
    // is one entry with the lines joined by LF.
    std::deque<std::string> TakeUnsolicited();

    bool Lost() const { return lost_; }
    // Lines that were neither an answer nor an indication, and the partial line, since the last
    // command started: a sign of a wrong baud rate when the answer never came.
    bool SawGarbage() const { return sawGarbage_; }

private:
    using Deadline = std::chrono::steady_clock::time_point;

    void Feed(std::string_view bytes);
    void HandleLine(const std::string& line);
    void Write(const std::string& bytes);
    void MarkLost(const std::string& reason);
    // Reads the port until `done` holds (Final), the deadline passes (Timeout), the transport is
    // cancelled (Cancelled, unless `ignoreCancel`) or the device vanishes (Lost).
    CommandAnswer::Status Wait(const std::function<bool()>& done, Deadline deadline,
                               bool ignoreCancel = false);

    Context& context_;
    SerialPort port_;
    std::string path_;
    AtLineReader reader_;
    std::string command_;  // the command running, for the classification of its answer
    std::string data_;     // the PDU written after its prompt
    bool commandDone_ = false;
    bool prompted_ = false;
    CommandAnswer answer_;
    std::deque<std::string> unsolicited_;
    bool continuation_ = false;  // the next line belongs to the last unsolicited entry
    bool lost_ = false;
    bool sawGarbage_ = false;
};

}  // namespace modem
