#pragma once

// One receiver for every gateway of a run: when a pool holds several gateway URLs (several Kannel
// accounts, say), they share the one --gateway-listen port. The messages Kannel brings go to the
// run's reply exchange, where the transport waiting for their number takes them; each delivery
// report goes to every transport attached, which keeps only those of its own parts (their
// references carry a prefix of the transport's own).

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "modem/GatewayReceiver.h"
#include "modem/SmsTransport.h"

namespace modem::gateway {

class GatewayHub final {
public:
    // Binds `where` and starts serving; `replies` must outlive the hub. Throws ReceiverError as
    // GatewayReceiver does.
    GatewayHub(const ListenAddress& where, modem::ReplyExchange& replies);
    ~GatewayHub();
    GatewayHub(const GatewayHub&) = delete;
    GatewayHub& operator=(const GatewayHub&) = delete;

    // "http://ADDRESS:PORT", the base of the URLs Kannel calls.
    std::string BaseUrl() const;

    // Gives every report that arrives from now on to `onReport` (on the receiver's thread) until
    // Detach with the number returned; once Detach returns, `onReport` is no longer called.
    std::size_t Attach(std::function<void(const DeliveryReport&)> onReport);
    void Detach(std::size_t attached);

private:
    void OnReport(const DeliveryReport& report);

    modem::ReplyExchange& replies_;
    std::mutex mutex_;
    std::map<std::size_t, std::function<void(const DeliveryReport&)>> listeners_;
    std::size_t nextListener_ = 0;
    std::unique_ptr<GatewayReceiver> receiver_;  // last: it calls back into the members above
};

}  // namespace modem::gateway
