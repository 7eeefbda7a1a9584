#pragma once

// Sending through a Kannel SMS gateway instead of a modem: each part of the text is one sendsms
// request to smsbox, and the DTU's reply and the delivery reports come back through a
// GatewayReceiver, when one is given. The same blocking, never-throwing contract as every
// modem::SmsTransport, so that it stands wherever a modem does.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "modem/GatewayHub.h"
#include "modem/GatewayReceiver.h"
#include "modem/KannelProtocol.h"
#include "modem/SmsTransport.h"

namespace modem::gateway {

struct KannelOptions {
    std::optional<ListenAddress> receiver;  // where Kannel calls back; none: no replies, no reports
    GatewayHub* hub = nullptr;  // instead of a receiver of its own, the run's shared one (it outlives
                                // the transport, and its replies come through `replies`)
    modem::ReplyExchange* replies = nullptr;                 // as TransportOptions::replies; a pool's replies
    std::chrono::milliseconds requestTimeout{30'000};        // one sendsms request
    std::function<void(const modem::Progress&)> onProgress;  // on the calling thread
    std::function<void(const modem::LogEntry&)> onLog;       // on the calling thread
};

class KannelTransport final : public modem::SmsTransport {
public:
    // Throws ReceiverError when the receiver cannot listen; base::MessageError for a URL that
    // ParseKannelUrl refuses.
    KannelTransport(const std::string& sendUrl, KannelOptions options);
    ~KannelTransport() override;
    KannelTransport(const KannelTransport&) = delete;
    KannelTransport& operator=(const KannelTransport&) = delete;
    KannelTransport(KannelTransport&&) = delete;
    KannelTransport& operator=(KannelTransport&&) = delete;

    std::vector<modem::ModemInfo> ListModems() override;
    modem::SendResult Send(const modem::SendRequest& request) override;
    modem::ReplyResult WaitForReply(const modem::ReplyRequest& request) override;
    void Cancel() noexcept override;
    std::vector<modem::LogEntry> Log() const override;

    // The receiver's base URL ("http://ADDRESS:PORT"), its own or the hub's; empty without either.
    std::string ReceiverUrl() const;

    // Kannel's answers to the parts of the last Send, in words, one per part taken or refused.
    std::vector<std::string> LastAnswers() const;

    // The latest delivery report for a part's reference, when one came.
    std::optional<DeliveryReport> ReportFor(const std::string& reference) const;

private:
    struct Received {
        std::uint64_t sequence = 0;
        IncomingMessage message;
    };

    std::int64_t ElapsedMs() const;  // since the transport was created
    void Note(modem::LogEntry::Direction direction, std::string text);
    void Report(const modem::Progress& progress) const;
    void OnMessage(const IncomingMessage& message);
    void OnReport(const DeliveryReport& report);
    // Waits until a message from `number` numbered `after` or later arrives (in a pool: one from it
    // in the exchange that arrived at `since` or later), the time runs out, the transport is
    // cancelled, or (when `references` is not empty) a report says one of them failed.
    modem::ReplyResult AwaitReply(const std::string& number, std::uint64_t after,
                                  modem::ReplyExchange::Clock::time_point since, int timeoutSeconds,
                                  const std::vector<std::string>& references);

    KannelEndpoint endpoint_;
    KannelOptions options_;
    std::string shownUrl_;
    std::string referencePrefix_;
    std::uint64_t nextReference_ = 1;
    std::chrono::steady_clock::time_point created_ = std::chrono::steady_clock::now();
    std::atomic<bool> cancelled_{false};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<modem::LogEntry> log_;
    std::vector<std::string> lastAnswers_;
    std::deque<Received> received_;
    std::uint64_t receivedCount_ = 0;
    std::map<std::string, DeliveryReport> reports_;

    std::optional<std::size_t> hubListener_;     // while attached to options_.hub
    std::unique_ptr<GatewayReceiver> receiver_;  // last: it calls back into the members above
};

}  // namespace modem::gateway
