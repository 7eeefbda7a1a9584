#include "modem/SerialChannel.h"

#include <algorithm>
#include <optional>

namespace modem {
namespace {

// How often a wait looks at the cancel flag: Cancel() only sets an atomic flag (so a signal handler
// may call it), and nothing else wakes a read for it.
constexpr int kCancelPollMs = 20;
// How long the device may refuse bytes before it counts as gone: a modem takes a command at once.
constexpr int kWriteTimeoutMs = 5000;
// How long an aborted part may take to answer the ESC, only so that the answer is in the log.
constexpr int kAbortAnswerMs = 1000;

constexpr char kEscape = '\x1B';
constexpr char kCtrlZ = '\x1A';

using Clock = std::chrono::steady_clock;

Clock::time_point After(int ms) {
    return Clock::now() + std::chrono::milliseconds(std::max(ms, 0));
}

long long RemainingMs(Clock::time_point deadline) {
    return std::max<long long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count(), 0);
}

bool HasHighBytes(const std::string& line) {
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

SerialChannel::SerialChannel(Context& context) : context_(context) {}

SerialChannel::~SerialChannel() {
    Close();
}

bool SerialChannel::Open(const std::string& path, int baudRate, std::string* errorText, bool* busy) {
    Close();
    path_ = path;
    lost_ = false;
    reader_.Reset();
    unsolicited_.clear();
    continuation_ = false;
    SerialOpenError failure;
    if (!port_.Open(path, baudRate, &failure)) {
        if (errorText != nullptr) {
            *errorText = failure.reason;
        }
        if (busy != nullptr) {
            *busy = failure.busy;
        }
        context_.Note("cannot open " + path + ": " + failure.reason);
        return false;
    }
    context_.Note("opened " + path + " at " + std::to_string(baudRate) + " baud, 8N1");
    return true;
}

void SerialChannel::Close() {
    if (!port_.IsOpen()) {
        return;
    }
    port_.Close();
    context_.Note("closed " + path_);
}

bool SerialChannel::IsOpen() const {
    return port_.IsOpen() && !lost_;
}

void SerialChannel::MarkLost(const std::string& reason) {
    if (!lost_) {
        lost_ = true;
        context_.Note("device lost: " + reason);
    }
}

void SerialChannel::Write(const std::string& bytes) {
    context_.Log(LogEntry::Direction::ToModem, Printable(bytes, false));
    if (!IsOpen()) {
        return;
    }
    if (std::string reason; !port_.Write(bytes, kWriteTimeoutMs, &reason)) {
        MarkLost(reason);
    }
}

void SerialChannel::Feed(std::string_view bytes) {
    for (AtEvent& event : reader_.Feed(bytes)) {
        if (event.kind == AtEvent::Kind::Prompt) {
            context_.Log(LogEntry::Direction::FromModem, "> ");
            prompted_ = true;
        } else {
            HandleLine(event.text);
        }
    }
}

void SerialChannel::HandleLine(const std::string& line) {
    context_.Log(LogEntry::Direction::FromModem, Printable(line, false));
    if (continuation_ && !unsolicited_.empty()) {
        continuation_ = false;
        unsolicited_.back() += '\n' + line;
        return;
    }
    const bool running = !command_.empty() && !commandDone_;
    const ClassifiedLine classified = ClassifyLine(line, running ? command_ : std::string(), data_);
    if (HasHighBytes(line)) {
        sawGarbage_ = true;
    }
    switch (classified.kind) {
        case LineKind::Unsolicited:
            unsolicited_.push_back(classified.text);
            continuation_ = UnsolicitedTakesNextLine(classified.text);
            break;
        case LineKind::Echo:
            break;
        case LineKind::Information:
            answer_.lines.push_back(classified.text);
            break;
        case LineKind::Ok:
        case LineKind::Error:
        case LineKind::CmsError:
        case LineKind::CmeError:
            if (running) {
                answer_.final = classified;
                commandDone_ = true;
            }
            break;
    }
}

CommandAnswer::Status SerialChannel::Wait(const std::function<bool()>& done, Deadline deadline,
                                          bool ignoreCancel) {
    std::string bytes;
    for (;;) {
        if (done()) {
            return CommandAnswer::Status::Final;
        }
        if (lost_ || !port_.IsOpen()) {
            return CommandAnswer::Status::Lost;
        }
        if (!ignoreCancel && context_.Cancelled()) {
            return CommandAnswer::Status::Cancelled;
        }
        const long long left = RemainingMs(deadline);
        if (left == 0) {
            return CommandAnswer::Status::Timeout;
        }
        bytes.clear();
        std::string reason;
        switch (port_.Read(bytes, static_cast<int>(std::min<long long>(left, kCancelPollMs)), &reason)) {
            case SerialRead::Data:
                Feed(bytes);
                break;
            case SerialRead::Lost:
                MarkLost(reason);
                break;
            case SerialRead::Timeout:
                break;
        }
    }
}

CommandAnswer SerialChannel::Command(const std::string& command, int timeoutMs) {
    command_ = command;
    data_.clear();
    commandDone_ = false;
    answer_ = {};
    sawGarbage_ = false;
    Write(command + "\r");
    const Deadline deadline = After(timeoutMs);
    CommandAnswer result = answer_;
    result.status = Wait([this] { return commandDone_; }, deadline);
    result.final = answer_.final;
    result.lines = answer_.lines;
    if (result.status == CommandAnswer::Status::Timeout &&
        (!answer_.lines.empty() || !reader_.Pending().empty())) {
        sawGarbage_ = true;
    }
    command_.clear();
    return result;
}

PartAnswer SerialChannel::SendPart(const std::string& command, const std::string& pdu, int promptMs,
                                   int partMs, int graceMs) {
    PartAnswer result;
    command_ = command;
    data_.clear();
    commandDone_ = false;
    prompted_ = false;
    answer_ = {};
    sawGarbage_ = false;
    const Deadline partDeadline = After(partMs);
    Write(command + "\r");
    CommandAnswer::Status status =
        Wait([this] { return prompted_ || commandDone_; }, After(std::min(promptMs, partMs)));
    if (status == CommandAnswer::Status::Final && !commandDone_ && context_.Cancelled()) {
        status = CommandAnswer::Status::Cancelled;
    }
    if (status != CommandAnswer::Status::Final || commandDone_) {
        if (status != CommandAnswer::Status::Final && status != CommandAnswer::Status::Lost) {
            // The modem may still be collecting the PDU: ESC makes it drop the part, where anything
            // else could be taken as PDU text and sent.
            Write(std::string(1, kEscape));
            Wait([this] { return commandDone_; }, After(std::min(graceMs, kAbortAnswerMs)), true);
        }
        result.prompted = prompted_;
        result.answer.status = status;
        result.answer.final = answer_.final;
        result.answer.lines = answer_.lines;
        command_.clear();
        return result;
    }
    result.prompted = true;
    data_ = pdu;
    Write(pdu + kCtrlZ);
    result.handedOver = true;
    status = Wait([this] { return commandDone_; }, partDeadline);
    if (status == CommandAnswer::Status::Cancelled) {
        const Deadline grace = std::min(After(graceMs), partDeadline);
        const CommandAnswer::Status late = Wait([this] { return commandDone_; }, grace, true);
        if (late == CommandAnswer::Status::Final) {
            status = late;
        }
    }
    result.answer.status = status;
    result.answer.final = answer_.final;
    result.answer.lines = answer_.lines;
    command_.clear();
    data_.clear();
    return result;
}

bool SerialChannel::WaitForUnsolicited(int timeoutMs) {
    const CommandAnswer::Status status =
        Wait([this] { return unsolicited_.size() > (continuation_ ? 1U : 0U); }, After(timeoutMs));
    return status == CommandAnswer::Status::Final || status == CommandAnswer::Status::Timeout;
}

std::deque<std::string> SerialChannel::TakeUnsolicited() {
    std::deque<std::string> taken;
    taken.swap(unsolicited_);
    // A two-line indication whose second line is still to come stays complete: its head is
    // handed out now and the rest would be lost, so keep waiting for it instead.
    if (continuation_ && !taken.empty()) {
        unsolicited_.push_back(std::move(taken.back()));
        taken.pop_back();
    }
    return taken;
}

}  // namespace modem
