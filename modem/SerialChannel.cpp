#include "modem/SerialChannel.h"

#include <algorithm>
#include <optional>

#include <QEventLoop>
#include <QTimer>

namespace modem {
namespace {

// How often a wait looks at the cancel flag: Cancel() only sets an atomic flag (so a signal handler
// may call it), and nothing else wakes the loop for it.
constexpr int kCancelPollMs = 20;
// How long an aborted part may take to answer the ESC, only so that the answer is in the log.
constexpr int kAbortAnswerMs = 1000;

constexpr char kEscape = '\x1B';
constexpr char kCtrlZ = '\x1A';

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
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(QString::fromStdString(path));
    port_->setBaudRate(baudRate);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    QObject::connect(port_.get(), &QSerialPort::readyRead, port_.get(), [this] { OnReadyRead(); });
    QObject::connect(
        port_.get(), &QSerialPort::errorOccurred, port_.get(), [this](QSerialPort::SerialPortError error) {
            // An unplugged USB modem shows as a resource error, a pseudo-terminal whose
            // other end closed as a read error; neither port recovers.
            const bool fatal = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                               error == QSerialPort::WriteError;
            if (fatal && !lost_) {
                lost_ = true;
                context_.Note("device lost: " + port_->errorString().toStdString());
                if (loop_ != nullptr) {
                    loop_->quit();
                }
            }
        });
    if (!port_->open(QIODevice::ReadWrite)) {
        const std::string reason = port_->errorString().toStdString();
        if (errorText != nullptr) {
            *errorText = reason;
        }
        if (busy != nullptr) {
            // Qt reports a port locked or opened exclusively by another program as a permission
            // error that names the lock or the busy device; a plain EACCES says "Permission denied".
            *busy = port_->error() == QSerialPort::PermissionError &&
                    reason.find("Permission denied") == std::string::npos;
        }
        context_.Note("cannot open " + path + ": " + reason);
        port_.reset();
        return false;
    }
    context_.Note("opened " + path + " at " + std::to_string(baudRate) + " baud, 8N1");
    return true;
}

void SerialChannel::Close() {
    if (port_ == nullptr) {
        return;
    }
    if (port_->isOpen()) {
        port_->close();
        context_.Note("closed " + path_);
    }
    // Closes are made by the dialogue between waits, never from inside one of the port's signals,
    // so the port can go at once (a deferred delete would leak where no event loop runs again).
    port_.reset();
}

bool SerialChannel::IsOpen() const {
    return port_ != nullptr && port_->isOpen() && !lost_;
}

void SerialChannel::Write(const std::string& bytes) {
    context_.Log(LogEntry::Direction::ToModem, Printable(bytes, false));
    if (!IsOpen()) {
        return;
    }
    port_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    port_->flush();
}

void SerialChannel::OnReadyRead() {
    const QByteArray bytes = port_->readAll();
    for (AtEvent& event :
         reader_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        if (event.kind == AtEvent::Kind::Prompt) {
            context_.Log(LogEntry::Direction::FromModem, "> ");
            prompted_ = true;
        } else {
            HandleLine(event.text);
        }
    }
    if (loop_ != nullptr) {
        loop_->quit();
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

CommandAnswer::Status SerialChannel::Wait(const std::function<bool()>& done, const QDeadlineTimer& deadline,
                                          bool ignoreCancel) {
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(kCancelPollMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start();
    loop_ = &loop;
    // How the wait has ended, or nullopt while it goes on.
    const auto ended = [&]() -> std::optional<CommandAnswer::Status> {
        if (done()) {
            return CommandAnswer::Status::Final;
        }
        if (lost_ || port_ == nullptr) {
            return CommandAnswer::Status::Lost;
        }
        if (!ignoreCancel && context_.Cancelled()) {
            return CommandAnswer::Status::Cancelled;
        }
        if (deadline.hasExpired()) {
            return CommandAnswer::Status::Timeout;
        }
        return std::nullopt;
    };
    std::optional<CommandAnswer::Status> status = ended();
    while (!status) {
        loop.exec();
        status = ended();
    }
    loop_ = nullptr;
    return *status;
}

CommandAnswer SerialChannel::Command(const std::string& command, int timeoutMs) {
    command_ = command;
    data_.clear();
    commandDone_ = false;
    answer_ = {};
    sawGarbage_ = false;
    Write(command + "\r");
    const QDeadlineTimer deadline(timeoutMs);
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
    const QDeadlineTimer partDeadline(partMs);
    Write(command + "\r");
    CommandAnswer::Status status =
        Wait([this] { return prompted_ || commandDone_; }, QDeadlineTimer(std::min(promptMs, partMs)));
    if (status == CommandAnswer::Status::Final && !commandDone_ && context_.Cancelled()) {
        status = CommandAnswer::Status::Cancelled;
    }
    if (status != CommandAnswer::Status::Final || commandDone_) {
        if (status != CommandAnswer::Status::Final && status != CommandAnswer::Status::Lost) {
            // The modem may still be collecting the PDU: ESC makes it drop the part, where anything
            // else could be taken as PDU text and sent.
            Write(std::string(1, kEscape));
            Wait([this] { return commandDone_; }, QDeadlineTimer(std::min(graceMs, kAbortAnswerMs)), true);
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
        const QDeadlineTimer grace(std::min<qint64>(graceMs, partDeadline.remainingTime()));
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
        Wait([this] { return unsolicited_.size() > (continuation_ ? 1U : 0U); },
             QDeadlineTimer(std::max(timeoutMs, 0)));
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
