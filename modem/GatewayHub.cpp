#include "modem/GatewayHub.h"

#include <utility>

namespace modem::gateway {

GatewayHub::GatewayHub(const ListenAddress& where, modem::ReplyExchange& replies) : replies_(replies) {
    receiver_ = std::make_unique<GatewayReceiver>(
        where, ReceiverHandlers{[this](const IncomingMessage& message) {
                                    replies_.Deposit(message.from, message.text,
                                                     modem::ReplyExchange::Clock::now());
                                },
                                [this](const DeliveryReport& report) { OnReport(report); }});
}

GatewayHub::~GatewayHub() {
    receiver_.reset();
}

std::string GatewayHub::BaseUrl() const {
    return receiver_->BaseUrl();
}

std::size_t GatewayHub::Attach(std::function<void(const DeliveryReport&)> onReport) {
    const std::lock_guard lock(mutex_);
    listeners_.emplace(nextListener_, std::move(onReport));
    return nextListener_++;
}

void GatewayHub::Detach(std::size_t attached) {
    const std::lock_guard lock(mutex_);
    listeners_.erase(attached);
}

void GatewayHub::OnReport(const DeliveryReport& report) {
    const std::lock_guard lock(mutex_);
    for (const auto& [attached, onReport] : listeners_) {
        onReport(report);
    }
}

}  // namespace modem::gateway
