#include "app/ModemWorker.h"

#include <utility>

#include <QThread>

#include "modem/ModemManagerClient.h"
#include "modem/ModemTransport.h"

namespace app {

ModemWorker::ModemWorker(modem::TransportOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

ModemWorker::~ModemWorker() {
    if (thread_ != nullptr) {
        Cancel();
        thread_->wait();
        delete thread_;
    }
}

bool ModemWorker::StartListing() {
    return Start([this](modem::SmsTransport& transport) -> std::function<void()> {
        std::vector<modem::ModemInfo> modems = transport.ListModems();
        return [this, modems = std::move(modems)] { emit Listed(modems); };
    });
}

bool ModemWorker::StartSending(const modem::SendRequest& request) {
    return Start([this, request](modem::SmsTransport& transport) -> std::function<void()> {
        modem::SendResult result = transport.Send(request);
        return [this, result = std::move(result)] { emit Sent(result); };
    });
}

void ModemWorker::Cancel() noexcept {
    const std::lock_guard lock(mutex_);
    cancelRequested_ = true;
    if (transport_ != nullptr) {
        transport_->Cancel();
    }
}

bool ModemWorker::Start(Job job) {
    if (thread_ != nullptr) {
        return false;
    }
    {
        const std::lock_guard lock(mutex_);
        cancelRequested_ = false;
    }
    modem::TransportOptions options = options_;
    // The transport reports on the job's thread; the owner hears of it through its own event loop.
    options.onProgress = [this](const modem::Progress& progress) {
        QMetaObject::invokeMethod(
            this, [this, progress] { emit ProgressReported(progress); }, Qt::QueuedConnection);
    };
    options.onLog = [this](const modem::LogEntry& entry) {
        QMetaObject::invokeMethod(
            this, [this, entry] { emit Logged(entry); }, Qt::QueuedConnection);
    };
    auto delivery = std::make_shared<std::function<void()>>();
    delivery_ = delivery;
    thread_ = QThread::create([this, options = std::move(options), job = std::move(job), delivery] {
        modem::ModemTransport transport(options, modem::ModemManagerService());
        {
            const std::lock_guard lock(mutex_);
            transport_ = &transport;
            // A cancel that came before the transport existed still stops the job.
            if (cancelRequested_) {
                transport.Cancel();
            }
        }
        *delivery = job(transport);
        const std::lock_guard lock(mutex_);
        transport_ = nullptr;
    });
    thread_->setObjectName(QStringLiteral("dtusms-modem"));
    // Emitted from the ending thread; queued to this object's thread, after every progress report and
    // log line the job posted.
    connect(thread_, &QThread::finished, this, &ModemWorker::JobEnded, Qt::QueuedConnection);
    thread_->start();
    return true;
}

void ModemWorker::JobEnded() {
    if (thread_ == nullptr) {
        return;
    }
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    const std::shared_ptr<std::function<void()>> delivery = std::exchange(delivery_, nullptr);
    if (delivery && *delivery) {
        (*delivery)();
    }
    emit Finished();
}

}  // namespace app
