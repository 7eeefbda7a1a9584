#pragma once

// ModemManager over D-Bus: the modems it manages (through its object manager), sending a message
// (Messaging.Create, then Sms.Send) and the messages it receives (the Messaging.Added signal and the
// new SMS object's properties). The interfaces are those of ModemManager's introspection data:
//   org.freedesktop.DBus.ObjectManager.GetManagedObjects() -> a{oa{sa{sv}}}
//   org.freedesktop.ModemManager1.Modem.Messaging.Create(a{sv} properties) -> o path
//   org.freedesktop.ModemManager1.Modem.Messaging signal Added(o path, b received)
//   org.freedesktop.ModemManager1.Sms.Send()
//   org.freedesktop.ModemManager1.Sms properties State u, Number s, Text s, MessageReference u

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>

#include "modem/Context.h"
#include "modem/ModemService.h"
#include "modem/ReplyCollector.h"
#include "modem/SmsTransport.h"

namespace modem {

// ManagedModem::path is /org/freedesktop/ModemManager1/Modem/N, `canMessage` tells whether it
// exposes the Messaging interface, and `ports` comes from its Ports property.
class ModemManagerClient final : public QObject, public ModemService {
    Q_OBJECT

public:
    static constexpr const char* kService = "org.freedesktop.ModemManager1";

    explicit ModemManagerClient(Context& context);
    ~ModemManagerClient() override;
    Q_DISABLE_COPY_MOVE(ModemManagerClient)

    // Whether the bus can be reached and ModemManager runs on it (it is asked whether the name has an
    // owner, so an activatable service is not started for this). `error` gets the reason for no.
    bool Available(Error* error) override;

    // The managed modems, in object-path order. Errors: ServiceError.
    std::optional<std::vector<ManagedModem>> Modems(Error* error) override;

    // Creates the message on `modemPath` with number, text and (when not empty) smsc, then sends it;
    // `reference` gets the SMS object's path. Errors: ServiceError (with ModemManager's words),
    // Unconfirmed (Send timed out), Cancelled.
    Error Send(const std::string& modemPath, const std::string& number, const std::string& text,
               const std::string& smsc, int parts, std::string* reference) override;

    // Subscribes to Messaging.Added of `modemPath`; call before sending so that a quick reply is not
    // missed.
    bool Listen(const std::string& modemPath) override;

    // Reads each received message announced since Listen() and offers it to `collector` (once its
    // State says it was received completely) until one completes the reply, or the collector claims
    // one another modem received (looked for at least once a second), for up to `seconds`.
    // Errors: NoReply, Cancelled, ServiceError.
    Error WaitForReply(ReplyCollector& collector, const std::string& number, int seconds,
                       std::optional<std::string>* reply) override;

private slots:
    void OnAdded(const QDBusObjectPath& path, bool received);

private:
    // Sends `message` and waits for its answer within `timeoutMs`, or until cancelled.
    enum class CallStatus { Ok, Failed, Timeout, Cancelled };
    // `detail` is added to the log line (the properties of a new message).
    CallStatus Call(const QDBusMessage& message, int timeoutMs, QDBusMessage* reply,
                    const std::string& detail = {});
    static Error CallError(CallStatus status, const QDBusMessage& reply, const std::string& what,
                           int timeoutMs);
    std::optional<QVariantMap> SmsProperties(const std::string& path, Error* error);
    // Offers each message in `incomplete` that is received completely to `collector` and drops it
    // from the list; stops at the one that completes the reply. Errors: Cancelled.
    Error ReadReceived(std::deque<std::string>& incomplete, ReplyCollector& collector,
                       std::optional<std::string>* reply);

    Context& context_;
    QString connectionName_;  // set for a private bus, which is disconnected at the end; before
                              // connection_, whose initialisation fills it in
    QDBusConnection connection_;
    std::deque<std::string> added_;
};

// Makes a ModemManagerClient for each call of a transport.
ModemServiceFactory ModemManagerService();

}  // namespace modem
