#include "tests/modem/MockModemManager.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QThread>
#include <QTimer>

struct MockPort {
    QString name;
    uint type = 0;
};
Q_DECLARE_METATYPE(MockPort)

QDBusArgument& operator<<(QDBusArgument& argument, const MockPort& port) {
    argument.beginStructure();
    argument << port.name << port.type;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MockPort& port) {
    argument.beginStructure();
    argument >> port.name >> port.type;
    argument.endStructure();
    return argument;
}

using MockInterfaces = QMap<QString, QVariantMap>;
using MockObjects = QMap<QDBusObjectPath, MockInterfaces>;

namespace modem_test {

PrivateBus::PrivateBus() {
    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ == 0) {
        // The daemon dies with the test, even one that crashes, and keeps none of its output pipes
        // open (a runner waiting for the test's output would wait for the daemon too).
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(out[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDERR_FILENO);
        closefrom(3);
        execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr);
        _exit(127);
    }
    close(out[1]);
    if (pid_ < 0) {
        close(out[0]);
        throw std::runtime_error("cannot start dbus-daemon");
    }
    char c = 0;
    pollfd watch{out[0], POLLIN, 0};
    while (poll(&watch, 1, 5000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') {
        address_ += c;
    }
    close(out[0]);
    if (address_.empty()) {
        throw std::runtime_error("dbus-daemon printed no address");
    }
}

PrivateBus::~PrivateBus() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

namespace {

constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kConnectionName = "modem-test-mock-service";

class SmsObject final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ModemManager1.Sms")
    Q_PROPERTY(uint State READ State)
    Q_PROPERTY(QString Number READ Number)
    Q_PROPERTY(QString Text READ Text)
    Q_PROPERTY(uint MessageReference READ MessageReference)

public:
    SmsObject(QString number, QString text, uint state, QObject* parent)
        : QObject(parent), number_(std::move(number)), text_(std::move(text)), state_(state) {}

    uint State() const { return state_; }
    QString Number() const { return number_; }
    QString Text() const { return text_; }
    uint MessageReference() const { return reference_; }
    void SetState(uint state) { state_ = state; }

    std::function<void(SmsObject*, const QDBusMessage&)> onSend;

public slots:
    void Send() {
        setDelayedReply(true);
        onSend(this, message());
    }

public:
    void MarkSent(uint reference) {
        state_ = 5;
        reference_ = reference;
    }

private:
    QString number_;
    QString text_;
    uint state_;
    uint reference_ = 0;
};

class MessagingObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ModemManager1.Modem.Messaging")

public:
    std::function<QDBusObjectPath(const QVariantMap&)> onCreate;

public slots:
    QDBusObjectPath Create(const QVariantMap& properties) { return onCreate(properties); }

signals:
    void Added(const QDBusObjectPath& path, bool received);
};

class ObjectManagerObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")

public:
    MockObjects objects;

public slots:
    MockObjects GetManagedObjects() { return objects; }
};

class ServiceThread final : public QThread {
public:
    ServiceThread(std::string address, MockConfig config, std::shared_ptr<MockModemManager::Shared> shared)
        : address_(std::move(address)), config_(std::move(config)), shared_(std::move(shared)) {}

    bool WaitReady() {
        std::unique_lock lock(readyMutex_);
        readyChanged_.wait_for(lock, std::chrono::seconds(10), [this] { return ready_ != 0; });
        return ready_ > 0;
    }

protected:
    void run() override;

private:
    void Ready(bool ok) {
        std::lock_guard lock(readyMutex_);
        ready_ = ok ? 1 : -1;
        readyChanged_.notify_all();
    }
    QString Register(QDBusConnection& bus, SmsObject* sms) {
        const QString path = QStringLiteral("/org/freedesktop/ModemManager1/SMS/%1").arg(nextSms_++);
        bus.registerObject(path, sms, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        return path;
    }
    void Deliver(QDBusConnection& bus, MessagingObject& messaging, QObject* owner);

    std::string address_;
    MockConfig config_;
    std::shared_ptr<MockModemManager::Shared> shared_;
    std::mutex readyMutex_;
    std::condition_variable readyChanged_;
    int ready_ = 0;
    int nextSms_ = 0;
    bool delivered_ = false;
};

void ServiceThread::Deliver(QDBusConnection& bus, MessagingObject& messaging, QObject* owner) {
    if (delivered_) {
        return;
    }
    delivered_ = true;
    for (const IncomingMessage& incoming : config_.incoming) {
        QTimer::singleShot(incoming.delayMs, owner, [this, &bus, &messaging, owner, incoming] {
            auto* sms =
                new SmsObject(QString::fromStdString(incoming.number), QString::fromStdString(incoming.text),
                              incoming.receivingMs > 0 ? 2 : 3, owner);
            const QString path = Register(bus, sms);
            emit messaging.Added(QDBusObjectPath(path), true);
            if (incoming.receivingMs > 0) {
                QTimer::singleShot(incoming.receivingMs, sms, [sms] { sms->SetState(3); });
            }
        });
    }
}

void ServiceThread::run() {
    QObject owner;
    {
        QDBusConnection bus =
            QDBusConnection::connectToBus(QString::fromStdString(address_), kConnectionName);
        MessagingObject messaging;
        ObjectManagerObject manager;
        if (config_.withModem) {
            MockInterfaces interfaces;
            QList<MockPort> ports;
            for (const std::string& port : config_.ports) {
                ports.push_back({QString::fromStdString(port), 1});
            }
            interfaces.insert(
                "org.freedesktop.ModemManager1.Modem",
                {{"Manufacturer", "Acme"}, {"Model", "GSM 9"}, {"Ports", QVariant::fromValue(ports)}});
            if (config_.canMessage) {
                interfaces.insert("org.freedesktop.ModemManager1.Modem.Messaging", {});
            }
            manager.objects.insert(QDBusObjectPath(MockModemManager::kModemPath), interfaces);
        }
        messaging.onCreate = [&](const QVariantMap& properties) {
            std::map<std::string, std::string> created;
            for (auto it = properties.begin(); it != properties.end(); ++it) {
                created[it.key().toStdString()] = it.value().toString().toStdString();
            }
            {
                std::lock_guard lock(shared_->mutex);
                shared_->created.push_back(created);
            }
            auto* sms = new SmsObject(properties.value("number").toString(),
                                      properties.value("text").toString(), 1, &owner);
            sms->onSend = [&](SmsObject* self, const QDBusMessage& call) {
                QTimer::singleShot(config_.sendDelayMs, self, [&, self, call] {
                    if (!config_.sendErrorName.empty()) {
                        bus.send(call.createErrorReply(QString::fromStdString(config_.sendErrorName),
                                                       QString::fromStdString(config_.sendErrorText)));
                        return;
                    }
                    int sent;
                    {
                        std::lock_guard lock(shared_->mutex);
                        sent = ++shared_->sent;
                    }
                    self->MarkSent(static_cast<uint>(40 + sent));
                    bus.send(call.createReply());
                    Deliver(bus, messaging, &owner);
                });
            };
            const QString path = Register(bus, sms);
            emit messaging.Added(QDBusObjectPath(path), false);
            return QDBusObjectPath(path);
        };
        const bool ok =
            bus.isConnected() && bus.registerService(kService) &&
            bus.registerObject("/org/freedesktop/ModemManager1", &manager, QDBusConnection::ExportAllSlots) &&
            (!config_.withModem || !config_.canMessage ||
             bus.registerObject(MockModemManager::kModemPath, &messaging,
                                QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        if (ok && config_.incomingWithoutSend) {
            Deliver(bus, messaging, &owner);
        }
        Ready(ok);
        if (ok) {
            exec();
        }
        qDeleteAll(owner.children());
    }
    QDBusConnection::disconnectFromBus(kConnectionName);
}

}  // namespace

MockModemManager::MockModemManager(const std::string& busAddress, MockConfig config)
    : shared_(std::make_shared<Shared>()) {
    qRegisterMetaType<MockPort>();
    qDBusRegisterMetaType<MockPort>();
    qDBusRegisterMetaType<QList<MockPort>>();
    qDBusRegisterMetaType<MockInterfaces>();
    qDBusRegisterMetaType<MockObjects>();
    auto* thread = new ServiceThread(busAddress, std::move(config), shared_);
    thread_.reset(thread);
    thread->start();
    if (!thread->WaitReady()) {
        throw std::runtime_error("the mock ModemManager could not register on the bus");
    }
}

MockModemManager::~MockModemManager() {
    thread_->quit();
    thread_->wait();
}

std::vector<std::map<std::string, std::string>> MockModemManager::Created() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->created;
}

int MockModemManager::Sent() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->sent;
}

}  // namespace modem_test

#include "MockModemManager.moc"
