#include "modem/ModemManagerClient.h"

#include <memory>

#include <algorithm>
#include <atomic>
#include <chrono>

#include <QDBusArgument>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include "modem/Texts.h"

namespace modem {
namespace {

using text::Fail;
using text::Literal;
using text::Number;

constexpr const char* kManagerPath = "/org/freedesktop/ModemManager1";
constexpr const char* kObjectManager = "org.freedesktop.DBus.ObjectManager";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kModemInterface = "org.freedesktop.ModemManager1.Modem";
constexpr const char* kMessagingInterface = "org.freedesktop.ModemManager1.Modem.Messaging";
constexpr const char* kSmsInterface = "org.freedesktop.ModemManager1.Sms";
constexpr int kCancelPollMs = 20;
constexpr int kStatePollMs = 500;
constexpr unsigned kSmsStateReceived = 3;

QDBusConnection OpenBus(const std::string& address, QString* name) {
    if (address.empty()) {
        return QDBusConnection::systemBus();
    }
    static std::atomic<int> counter{0};
    *name = QStringLiteral("dtusms-modem-%1").arg(counter.fetch_add(1));
    return QDBusConnection::connectToBus(QString::fromStdString(address), *name);
}

std::string Quoted(const QString& text) {
    return "\"" + Printable(text.toStdString(), true) + "\"";
}

// "ttyUSB2" from each (name, type) of the a(su) Ports property.
std::vector<std::string> PortNames(const QVariant& value) {
    std::vector<std::string> names;
    if (!value.canConvert<QDBusArgument>()) {
        return names;
    }
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("a(su)")) {
        return names;
    }
    argument.beginArray();
    while (!argument.atEnd()) {
        QString name;
        uint type = 0;
        argument.beginStructure();
        argument >> name >> type;
        argument.endStructure();
        names.push_back(name.toStdString());
    }
    argument.endArray();
    return names;
}

ManagedModem ModemFrom(const QString& path, const QMap<QString, QVariantMap>& interfaces) {
    ManagedModem modem;
    modem.path = path.toStdString();
    const QVariantMap properties = interfaces.value(kModemInterface);
    const QString label =
        (properties.value("Manufacturer").toString() + ' ' + properties.value("Model").toString());
    modem.label = label.trimmed().isEmpty() ? modem.path : label.trimmed().toStdString();
    modem.canMessage = interfaces.contains(kMessagingInterface);
    modem.ports = PortNames(properties.value("Ports"));
    return modem;
}

}  // namespace

ModemManagerClient::ModemManagerClient(Context& context)
    : context_(context), connection_(OpenBus(context.options().dbusAddress, &connectionName_)) {}

ModemManagerClient::~ModemManagerClient() {
    if (!connectionName_.isEmpty()) {
        QDBusConnection::disconnectFromBus(connectionName_);
    }
}

ModemManagerClient::CallStatus ModemManagerClient::Call(const QDBusMessage& message, int timeoutMs,
                                                        QDBusMessage* reply, const std::string& detail) {
    context_.Log(LogEntry::Direction::ToModem, "D-Bus " + message.interface().section('.', -1).toStdString() +
                                                   "." + message.member().toStdString() + " " +
                                                   message.path().toStdString() +
                                                   (detail.empty() ? "" : " " + detail));
    QDBusPendingCall pending = connection_.asyncCall(message, timeoutMs);
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(kCancelPollMs);
    const QDeadlineTimer deadline(timeoutMs);
    while (!watcher.isFinished()) {
        if (context_.Cancelled()) {
            context_.Note("cancelled while waiting for D-Bus");
            return CallStatus::Cancelled;
        }
        if (deadline.hasExpired()) {
            context_.Note("no D-Bus answer in time");
            return CallStatus::Timeout;
        }
        loop.exec();
    }
    *reply = pending.reply();
    if (reply->type() == QDBusMessage::ErrorMessage) {
        context_.Log(LogEntry::Direction::FromModem, "D-Bus error " + reply->errorName().toStdString() +
                                                         ": " + reply->errorMessage().toStdString());
        return reply->errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ? CallStatus::Timeout
                                                                                         : CallStatus::Failed;
    }
    return CallStatus::Ok;
}

Error ModemManagerClient::CallError(CallStatus status, const QDBusMessage& reply, const std::string& what,
                                    int timeoutMs) {
    switch (status) {
        case CallStatus::Ok:
            return {};
        case CallStatus::Cancelled:
            return Fail(ErrorKind::Cancelled, text::kCancelled);
        case CallStatus::Timeout:
            return Fail(ErrorKind::ServiceError, text::kServiceTimeout,
                        {Literal(what), Number((timeoutMs + 999) / 1000)});
        case CallStatus::Failed:
            break;
    }
    const QString reason = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return Fail(ErrorKind::ServiceError, text::kServiceError, {Literal(reason.toStdString())});
}

bool ModemManagerClient::Available(Error* error) {
    if (!connection_.isConnected()) {
        const std::string reason = connection_.lastError().message().toStdString();
        context_.Note("no D-Bus connection: " + reason);
        *error = Fail(ErrorKind::ServiceError, text::kServiceError, {Literal(reason)});
        return false;
    }
    QDBusMessage ask = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus", "NameHasOwner");
    ask << QString(kService);
    QDBusMessage reply;
    const int timeoutMs = context_.timeouts().dbusMs;
    const CallStatus status = Call(ask, timeoutMs, &reply);
    if (status != CallStatus::Ok) {
        *error = CallError(status, reply, "NameHasOwner", timeoutMs);
        return false;
    }
    if (reply.arguments().value(0).toBool()) {
        context_.Log(LogEntry::Direction::FromModem, "D-Bus ModemManager is running");
        return true;
    }
    context_.Log(LogEntry::Direction::FromModem, "D-Bus ModemManager is not running");
    *error = Fail(ErrorKind::NoModem, text::kServiceNotRunning);
    return false;
}

std::optional<std::vector<ManagedModem>> ModemManagerClient::Modems(Error* error) {
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, kManagerPath, kObjectManager, "GetManagedObjects");
    QDBusMessage reply;
    const int timeoutMs = context_.timeouts().dbusMs;
    if (const CallStatus status = Call(ask, timeoutMs, &reply); status != CallStatus::Ok) {
        *error = CallError(status, reply, "GetManagedObjects", timeoutMs);
        return std::nullopt;
    }
    if (reply.signature() != QLatin1String("a{oa{sa{sv}}}")) {
        *error = Fail(ErrorKind::ServiceError, text::kServiceError,
                      {Literal("unexpected answer " + reply.signature().toStdString())});
        return std::nullopt;
    }
    std::vector<ManagedModem> modems;
    const auto objects = reply.arguments().at(0).value<QDBusArgument>();
    objects.beginMap();
    while (!objects.atEnd()) {
        QDBusObjectPath path;
        QMap<QString, QVariantMap> interfaces;
        objects.beginMapEntry();
        objects >> path;
        objects.beginMap();
        while (!objects.atEnd()) {
            QString name;
            QVariantMap properties;
            objects.beginMapEntry();
            objects >> name >> properties;
            objects.endMapEntry();
            interfaces.insert(name, properties);
        }
        objects.endMap();
        objects.endMapEntry();
        if (interfaces.contains(kModemInterface)) {
            modems.push_back(ModemFrom(path.path(), interfaces));
        }
    }
    objects.endMap();
    std::sort(modems.begin(), modems.end(),
              [](const ManagedModem& a, const ManagedModem& b) { return a.path < b.path; });
    for (const ManagedModem& modem : modems) {
        context_.Log(LogEntry::Direction::FromModem,
                     "D-Bus modem " + modem.path + " (" + modem.label + ")" +
                         (modem.canMessage ? ", messaging" : ", no messaging"));
    }
    return modems;
}

bool ModemManagerClient::Listen(const std::string& modemPath) {
    const bool connected =
        connection_.connect(kService, QString::fromStdString(modemPath), kMessagingInterface, "Added", this,
                            SLOT(OnAdded(QDBusObjectPath, bool)));
    context_.Note(connected
                      ? "listening for new messages on " + modemPath
                      : "cannot listen for new messages: " + connection_.lastError().message().toStdString());
    return connected;
}

void ModemManagerClient::OnAdded(const QDBusObjectPath& path, bool received) {
    context_.Log(LogEntry::Direction::FromModem, "D-Bus Messaging.Added " + path.path().toStdString() +
                                                     (received ? " (received)" : " (local)"));
    if (received) {
        added_.push_back(path.path().toStdString());
    }
}

Error ModemManagerClient::Send(const std::string& modemPath, const std::string& number,
                               const std::string& text, const std::string& smsc, int parts,
                               std::string* reference) {
    QVariantMap properties;
    properties.insert("number", QString::fromStdString(number));
    properties.insert("text", QString::fromStdString(text));
    std::string described = "{number: " + Quoted(QString::fromStdString(number)) +
                            ", text: " + Quoted(QString::fromStdString(text));
    if (!smsc.empty()) {
        properties.insert("smsc", QString::fromStdString(smsc));
        described += ", smsc: " + Quoted(QString::fromStdString(smsc));
    }
    QDBusMessage create = QDBusMessage::createMethodCall(kService, QString::fromStdString(modemPath),
                                                         kMessagingInterface, "Create");
    create << properties;
    QDBusMessage reply;
    const int dbusMs = context_.timeouts().dbusMs;
    if (const CallStatus status = Call(create, dbusMs, &reply, described + "}"); status != CallStatus::Ok) {
        return CallError(status, reply, "Create", dbusMs);
    }
    const QString smsPath = reply.arguments().value(0).value<QDBusObjectPath>().path();
    context_.Log(LogEntry::Direction::FromModem, "D-Bus " + smsPath.toStdString());
    if (smsPath.isEmpty()) {
        return Fail(ErrorKind::ServiceError, text::kServiceError, {Literal("Create returned no message")});
    }
    context_.Report(text::StageProgress(
        Stage::Sending, text::Make(text::kSendingPart, {Number(1), Number(parts)}), 1, parts));
    // ModemManager sends every part in this one call, each within the time a part may take.
    const int sendMs = context_.timeouts().partMs * std::max(parts, 1);
    const QDBusMessage send = QDBusMessage::createMethodCall(kService, smsPath, kSmsInterface, "Send");
    const CallStatus status = Call(send, sendMs, &reply);
    if (status == CallStatus::Timeout) {
        return Fail(ErrorKind::Unconfirmed, text::kUnconfirmed,
                    {Number(1), Number(parts), Number(sendMs / 1000)});
    }
    if (status == CallStatus::Cancelled) {
        return Fail(ErrorKind::Cancelled, text::kCancelledAfterHandover, {Number(1), Number(parts)});
    }
    if (status == CallStatus::Failed) {
        const QString reason = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return Fail(ErrorKind::ServiceError, text::kSendFailed, {Literal(reason.toStdString())});
    }
    context_.Log(LogEntry::Direction::FromModem, "D-Bus sent");
    *reference = smsPath.toStdString();
    return {};
}

std::optional<QVariantMap> ModemManagerClient::SmsProperties(const std::string& path, Error* error) {
    QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, QString::fromStdString(path), kProperties, "GetAll");
    ask << QString(kSmsInterface);
    QDBusMessage reply;
    const int timeoutMs = context_.timeouts().dbusMs;
    if (const CallStatus status = Call(ask, timeoutMs, &reply); status != CallStatus::Ok) {
        *error = CallError(status, reply, "GetAll", timeoutMs);
        return std::nullopt;
    }
    const QVariant value = reply.arguments().value(0);
    if (!value.canConvert<QDBusArgument>()) {
        return QVariantMap{};
    }
    QVariantMap properties;
    value.value<QDBusArgument>() >> properties;
    return properties;
}

Error ModemManagerClient::ReadReceived(std::deque<std::string>& incomplete, ReplyCollector& collector,
                                       std::optional<std::string>* reply) {
    // Oldest first, so that of two complete replies the first one counts.
    for (auto next = incomplete.begin(); next != incomplete.end();) {
        const std::string path = *next;
        Error error;
        const std::optional<QVariantMap> properties = SmsProperties(path, &error);
        if (error.kind == ErrorKind::Cancelled) {
            return error;
        }
        if (properties && properties->value("State").toUInt() != kSmsStateReceived) {
            ++next;
            continue;
        }
        // A message that vanished (deleted meanwhile) is dropped too.
        next = incomplete.erase(next);
        if (!properties) {
            continue;
        }
        const std::string sender = properties->value("Number").toString().toStdString();
        const std::string body = properties->value("Text").toString().toStdString();
        context_.Log(LogEntry::Direction::FromModem, "D-Bus " + path + " Number " +
                                                         Quoted(QString::fromStdString(sender)) + " Text " +
                                                         Quoted(QString::fromStdString(body)));
        std::string note;
        std::optional<std::string> text = collector.OfferText(sender, body, &note);
        context_.Note(note);
        if (text) {
            *reply = std::move(text);
            return {};
        }
    }
    return {};
}

Error ModemManagerClient::WaitForReply(ReplyCollector& collector, const std::string& number, int seconds,
                                       std::optional<std::string>* reply) {
    ReplyCountdown countdown(context_, number, seconds);
    std::deque<std::string> incomplete;  // received but still RECEIVING more parts
    for (;;) {
        while (!added_.empty()) {
            incomplete.push_back(added_.front());
            added_.pop_front();
        }
        if (Error error = ReadReceived(incomplete, collector, reply);
            error.kind != ErrorKind::None || *reply) {
            return error;
        }
        std::string note;
        if (std::optional<std::string> text = collector.Claim(&note)) {
            context_.Note(note);
            *reply = std::move(text);
            return {};
        }
        long long left = 0;
        if (std::optional<Error> end = countdown.Check(left)) {
            return *end;
        }
        QEventLoop loop;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
        tick.start(kCancelPollMs);
        const QDeadlineTimer slice(incomplete.empty() ? std::min<long long>(left, 1000) : kStatePollMs);
        while (added_.empty() && !slice.hasExpired() && !context_.Cancelled()) {
            loop.exec();
        }
    }
}

ModemServiceFactory ModemManagerService() {
    return [](Context& context) -> std::unique_ptr<ModemService> {
        return std::make_unique<ModemManagerClient>(context);
    };
}

}  // namespace modem
