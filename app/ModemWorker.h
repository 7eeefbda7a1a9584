#pragma once

// Runs the modem library's blocking calls off the user-interface thread. Each job (listing the
// modems, sending a message) gets a QThread of its own and a transport of its own, created, used and
// destroyed in that thread, since the transport's Qt objects belong to the thread that made them and
// a cancelled transport stays cancelled. Progress, log lines and the result are handed back through
// queued calls, so every signal below is emitted on the thread that owns the worker (the window's).
//
// One job at a time: a Start... call while a job runs is refused. Cancel() makes the running job
// return promptly (the transport aborts a pending "> " prompt with ESC, so nothing goes out half);
// Finished() follows once its thread has ended and the port is released. The destructor cancels and
// waits for the thread, so the worker may be destroyed at any time.

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <QObject>

#include "modem/SmsTransport.h"

class QThread;

namespace app {

class ModemWorker final : public QObject {
    Q_OBJECT

public:
    // `options` configure every transport the worker creates (baud rate, candidate ports, time-outs,
    // ModemManager); their callbacks are replaced by the worker's own.
    explicit ModemWorker(modem::TransportOptions options, QObject* parent = nullptr);
    ~ModemWorker() override;
    Q_DISABLE_COPY_MOVE(ModemWorker)

    bool Busy() const { return thread_ != nullptr; }

    // Start a job; false (and nothing started) while another job runs.
    bool StartListing();
    bool StartSending(const modem::SendRequest& request);

    // Asks the running job to stop; does nothing when none runs. Returns at once.
    void Cancel() noexcept;

signals:
    void ProgressReported(const modem::Progress& progress);
    void Logged(const modem::LogEntry& entry);
    void Listed(const std::vector<modem::ModemInfo>& modems);
    void Sent(const modem::SendResult& result);
    // The job's thread has ended; Busy() is false from now on.
    void Finished();

private:
    // `job` runs on the new thread with its transport and returns what is to be done on the owner's
    // thread once that thread has ended (emitting the result).
    using Job = std::function<std::function<void()>(modem::SmsTransport&)>;
    bool Start(Job job);
    void JobEnded();

    modem::TransportOptions options_;
    QThread* thread_ = nullptr;
    std::shared_ptr<std::function<void()>> delivery_;

    // The running job's transport, for Cancel() from the owner's thread.
    std::mutex mutex_;
    modem::SmsTransport* transport_ = nullptr;
    bool cancelRequested_ = false;
};

}  // namespace app
