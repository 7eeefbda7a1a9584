#include "modem/KannelTransport.h"

#include <random>
#include <stdexcept>

#include "base/MessageError.h"
#include "modem/Texts.h"
#include "net/HttpGet.h"
#include "net/WanAddress.h"
#include "sms/Gsm7Alphabet.h"
#include "sms/PhoneNumber.h"
#include "sms/SmsLength.h"
#include "sms/UnicodeText.h"

namespace modem::gateway {
namespace {

using Direction = modem::LogEntry::Direction;

constexpr std::chrono::milliseconds kWaitSlice{100};

// The parts' texts in UTF-8, split as the network carries them.
std::vector<std::string> PartTexts(const sms::SmsSplit& split) {
    std::vector<std::string> texts;
    for (const std::vector<std::uint16_t>& units : split.parts) {
        if (split.encoding == sms::SmsEncoding::ucs2) {
            texts.push_back(sms::Utf16ToUtf8(std::u16string(units.begin(), units.end())));
        } else {
            std::vector<std::uint8_t> septets(units.begin(), units.end());
            texts.push_back(sms::DecodeGsm7(septets));
        }
    }
    return texts;
}

// A prefix that no earlier run shares, so that a late report for an earlier run's part never
// passes for one of this run.
std::string RunPrefix() {
    std::random_device random;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string prefix;
    for (int i = 0; i < 8; ++i) {
        prefix += kHex[random() % 16];
    }
    return prefix + "-";
}

// The request as logged: the password never appears.
std::string Masked(std::string url, const std::string& password) {
    if (password.empty()) {
        return url;
    }
    const std::string field = "&password=";
    const std::size_t start = url.find(field);
    if (start != std::string::npos) {
        const std::size_t valueStart = start + field.size();
        const std::size_t valueEnd = url.find('&', valueStart);
        url.replace(valueStart, valueEnd - valueStart, "***");
    }
    return url;
}

bool ConnectFailure(const std::string& reason) {
    return reason.find("onnect") != std::string::npos || reason.find("resolve") != std::string::npos;
}

}  // namespace

KannelTransport::KannelTransport(const std::string& sendUrl, KannelOptions options)
    : options_(std::move(options)), referencePrefix_(RunPrefix()) {
    std::optional<KannelEndpoint> endpoint = ParseKannelUrl(sendUrl);
    if (!endpoint) {
        throw base::MessageError("\"%s\" is no http or https URL of a gateway", {sendUrl});
    }
    endpoint_ = std::move(*endpoint);
    shownUrl_ = endpoint_.url;
    if (options_.hub != nullptr) {
        hubListener_ = options_.hub->Attach([this](const DeliveryReport& report) { OnReport(report); });
    } else if (options_.receiver) {
        receiver_ = std::make_unique<GatewayReceiver>(
            *options_.receiver,
            ReceiverHandlers{[this](const IncomingMessage& message) { OnMessage(message); },
                             [this](const DeliveryReport& report) { OnReport(report); }});
    }
}

KannelTransport::~KannelTransport() {
    if (hubListener_) {
        options_.hub->Detach(*hubListener_);
    }
    receiver_.reset();
}

std::string KannelTransport::ReceiverUrl() const {
    if (options_.hub != nullptr) {
        return options_.hub->BaseUrl();
    }
    return receiver_ ? receiver_->BaseUrl() : std::string{};
}

std::int64_t KannelTransport::ElapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - created_)
        .count();
}

void KannelTransport::Note(Direction direction, std::string text) {
    modem::LogEntry entry;
    entry.elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - created_)
            .count();
    entry.direction = direction;
    entry.text = std::move(text);
    {
        const std::lock_guard lock(mutex_);
        log_.push_back(entry);
    }
    if (options_.onLog) {
        options_.onLog(entry);
    }
}

void KannelTransport::Report(const modem::Progress& progress) const {
    if (options_.onProgress) {
        options_.onProgress(progress);
    }
}

void KannelTransport::OnMessage(const IncomingMessage& message) {
    constexpr std::size_t kKeptMessages = 1000;
    if (options_.replies != nullptr) {
        // In a pool, whichever transport waits for the number takes it.
        options_.replies->Deposit(message.from, message.text, modem::ReplyExchange::Clock::now());
    }
    const std::lock_guard lock(mutex_);
    if (options_.replies == nullptr) {
        received_.push_back({receivedCount_++, message});
        if (received_.size() > kKeptMessages) {
            received_.pop_front();
        }
    }
    log_.push_back({ElapsedMs(), Direction::FromModem, "message from " + message.from + ": " + message.text});
    changed_.notify_all();
}

void KannelTransport::OnReport(const DeliveryReport& report) {
    if (report.reference.rfind(referencePrefix_, 0) != 0) {
        return;  // another run's part
    }
    const std::lock_guard lock(mutex_);
    reports_[report.reference] = report;
    log_.push_back({ElapsedMs(), Direction::FromModem,
                    "delivery report " + report.reference + ": " + DeliveryStatusWords(report.status) +
                        (report.answer.empty() ? "" : " (" + report.answer + ")")});
    changed_.notify_all();
}

std::vector<modem::ModemInfo> KannelTransport::ListModems() {
    modem::ModemInfo gatewayEntry;
    gatewayEntry.id = shownUrl_;
    gatewayEntry.label = "Kannel SMS gateway";
    gatewayEntry.kind = modem::ModemKind::Serial;
    gatewayEntry.usable = true;
    gatewayEntry.status.text = "ready";
    return {gatewayEntry};
}

modem::SendResult KannelTransport::Send(const modem::SendRequest& request) {
    const modem::ReplyExchange::Clock::time_point began = modem::ReplyExchange::Clock::now();
    modem::SendResult result;
    result.modem = shownUrl_;
    if (cancelled_) {
        result.error = modem::text::Fail(modem::ErrorKind::Cancelled, modem::text::kCancelled);
        return result;
    }
    const std::optional<std::string> number = sms::NormalizePhoneNumber(request.number);
    if (!number) {
        result.error = modem::text::Fail(modem::ErrorKind::InvalidRequest, modem::text::kInvalidNumber,
                                         {modem::text::Literal(request.number)});
        return result;
    }
    if (request.text.empty()) {
        result.error = modem::text::Fail(modem::ErrorKind::InvalidRequest, modem::text::kEmptyText);
        return result;
    }
    const std::string receiverUrl = ReceiverUrl();
    if (request.replyTimeoutSeconds > 0 && receiverUrl.empty()) {
        result.error =
            modem::text::Fail(modem::ErrorKind::InvalidRequest, modem::text::kGatewayNeedsReceiver);
        return result;
    }
    {
        const std::lock_guard lock(mutex_);
        lastAnswers_.clear();
    }
    const sms::SmsSplit split = sms::SplitSms(request.text);
    const std::vector<std::string> parts = PartTexts(split);
    result.parts = static_cast<int>(parts.size());
    std::uint64_t firstUnread = 0;
    {
        const std::lock_guard lock(mutex_);
        firstUnread = receivedCount_;
    }
    const net::EventPump pump = [this] { return !cancelled_.load(); };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string partNumber = std::to_string(i + 1);
        const std::string partCount = std::to_string(parts.size());
        modem::Progress progress;
        progress.stage = modem::Stage::Sending;
        progress.part = static_cast<int>(i + 1);
        progress.parts = result.parts;
        progress.message.text = modem::text::kSendingPart;
        progress.message.args = {{partNumber, false}, {partCount, false}};
        Report(progress);

        const std::string reference = referencePrefix_ + std::to_string(nextReference_++);
        SendSmsRequest part;
        part.to = *number;
        part.text = parts[i];
        part.ucs2 = split.encoding == sms::SmsEncoding::ucs2;
        if (!receiverUrl.empty()) {
            part.dlrUrl = DeliveryReportUrl(receiverUrl, reference);
        }
        const std::string url = SendSmsUrl(endpoint_, part);
        Note(Direction::ToModem, "GET " + Masked(url, endpoint_.password));
        net::HttpReply reply;
        try {
            reply = net::HttpGet(url, pump, options_.requestTimeout);
        } catch (const net::WanRequestAbandoned&) {
            result.error = modem::text::Fail(modem::ErrorKind::Unconfirmed, modem::text::kGatewayCancelled,
                                             {modem::text::Literal(partNumber)});
            return result;
        } catch (const net::WanRequestError& error) {
            const std::string reason = error.what();
            Note(Direction::Note, reason);
            if (ConnectFailure(reason)) {
                result.error =
                    modem::text::Fail(modem::ErrorKind::NoModem, modem::text::kGatewayUnreachable,
                                      {modem::text::Literal(shownUrl_), modem::text::Literal(reason)});
            } else {
                result.error =
                    modem::text::Fail(modem::ErrorKind::Unconfirmed, modem::text::kGatewayUnconfirmed,
                                      {modem::text::Literal(partNumber), modem::text::Literal(reason)});
            }
            return result;
        }
        Note(Direction::FromModem, std::to_string(reply.status) + " " + reply.body);
        const KannelAnswer answer = ReadKannelAnswer(reply.status, reply.body);
        {
            const std::lock_guard lock(mutex_);
            lastAnswers_.push_back(answer.words);
        }
        if (!answer.accepted) {
            result.error =
                modem::text::Fail(modem::ErrorKind::Refused, modem::text::kGatewayRefusedPart,
                                  {modem::text::Literal(partNumber), modem::text::Literal(answer.words)});
            return result;
        }
        std::string note = "part ";
        note += partNumber;
        note += " is ";
        note += reference;
        note += ": ";
        note += answer.words;
        Note(Direction::Note, std::move(note));
        result.references.push_back(reference);
    }
    if (request.replyTimeoutSeconds > 0) {
        modem::ReplyResult reply =
            AwaitReply(*number, firstUnread, began, request.replyTimeoutSeconds, result.references);
        result.reply = std::move(reply.reply);
        result.error = std::move(reply.error);
    }
    return result;
}

modem::ReplyResult KannelTransport::WaitForReply(const modem::ReplyRequest& request) {
    const modem::ReplyExchange::Clock::time_point began = modem::ReplyExchange::Clock::now();
    modem::ReplyResult result;
    result.modem = shownUrl_;
    const std::optional<std::string> number = sms::NormalizePhoneNumber(request.number);
    if (!number) {
        result.error = modem::text::Fail(modem::ErrorKind::InvalidRequest, modem::text::kInvalidNumber,
                                         {modem::text::Literal(request.number)});
        return result;
    }
    if (ReceiverUrl().empty()) {
        result.error =
            modem::text::Fail(modem::ErrorKind::InvalidRequest, modem::text::kGatewayNeedsReceiver);
        return result;
    }
    std::uint64_t now = 0;
    {
        const std::lock_guard lock(mutex_);
        now = receivedCount_;
    }
    return AwaitReply(*number, now, began, request.timeoutSeconds, {});
}

modem::ReplyResult KannelTransport::AwaitReply(const std::string& number, std::uint64_t after,
                                               modem::ReplyExchange::Clock::time_point since,
                                               int timeoutSeconds,
                                               const std::vector<std::string>& references) {
    modem::ReplyResult result;
    result.modem = shownUrl_;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    int shownSeconds = -1;
    std::unique_lock lock(mutex_);
    for (;;) {
        for (const Received& received : received_) {
            if (received.sequence >= after && sms::PhoneNumbersMatch(received.message.from, number)) {
                result.reply = received.message.text;
                return result;
            }
        }
        if (options_.replies != nullptr) {
            if (std::optional<std::string> text = options_.replies->Take(number, since)) {
                result.reply = std::move(text);
                return result;
            }
        }
        for (std::size_t i = 0; i < references.size(); ++i) {
            const auto report = reports_.find(references[i]);
            if (report != reports_.end() && DeliveryFailed(report->second.status)) {
                result.error = modem::text::Fail(
                    modem::ErrorKind::Refused, modem::text::kGatewayReportsPart,
                    {modem::text::Number(static_cast<long long>(i) + 1),
                     modem::text::Translatable(DeliveryStatusWords(report->second.status))});
                return result;
            }
        }
        if (cancelled_) {
            result.error = modem::text::Fail(modem::ErrorKind::Cancelled, modem::text::kCancelled);
            return result;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            result.error =
                modem::text::Fail(modem::ErrorKind::NoReply, modem::text::kNoReply,
                                  {modem::text::Literal(number), modem::text::Number(timeoutSeconds)});
            return result;
        }
        const int secondsLeft =
            static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(deadline - now).count()) + 1;
        if (secondsLeft != shownSeconds) {
            shownSeconds = secondsLeft;
            modem::Progress progress;
            progress.stage = modem::Stage::WaitingForReply;
            progress.secondsLeft = secondsLeft;
            progress.message.text = modem::text::kWaitingForReply;
            progress.message.args = {{std::to_string(secondsLeft), false}};
            lock.unlock();
            Report(progress);
            lock.lock();
        }
        changed_.wait_for(lock, kWaitSlice);
    }
}

void KannelTransport::Cancel() noexcept {
    cancelled_ = true;
}

std::vector<std::string> KannelTransport::LastAnswers() const {
    const std::lock_guard lock(mutex_);
    return lastAnswers_;
}

std::optional<DeliveryReport> KannelTransport::ReportFor(const std::string& reference) const {
    const std::lock_guard lock(mutex_);
    const auto found = reports_.find(reference);
    if (found == reports_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<modem::LogEntry> KannelTransport::Log() const {
    const std::lock_guard lock(mutex_);
    return log_;
}

}  // namespace modem::gateway
