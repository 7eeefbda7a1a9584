#pragma once

// Runs the modem library's blocking calls off the dialog's thread: each job (listing the modems,
// sending a message) gets a thread of its own and a transport of its own, made, used and destroyed in
// that thread. What the job reports (progress, log lines, the result, its end) is queued and
// announced to a window with PostMessageW; the window takes it with TakeEvents on its own thread.
//
// One job at a time: a Start... call while a job runs is refused. Cancel() makes the running job
// return promptly (a part waiting for its "> " prompt is withdrawn, so nothing goes out half); the
// Finished event follows once the port is released. The destructor cancels and waits for the thread.

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "modem/SmsTransport.h"

namespace app::win32 {

class ModemJobs final {
public:
    struct Finished {};
    using Event = std::variant<modem::Progress, modem::LogEntry, std::vector<modem::ModemInfo>,
                               modem::SendResult, Finished>;

    // `options` configure every transport (their callbacks are replaced); `window` gets `message`
    // whenever an event is queued.
    ModemJobs(modem::TransportOptions options, HWND window, UINT message);
    ~ModemJobs();
    ModemJobs(const ModemJobs&) = delete;
    ModemJobs& operator=(const ModemJobs&) = delete;

    bool Busy() const { return thread_.joinable(); }

    bool StartListing();
    bool StartSending(const modem::SendRequest& request);
    void Cancel() noexcept;

    // The events queued so far, in order. When the job's end is among them its thread has been joined,
    // so Busy() is false once they are handled.
    std::vector<Event> TakeEvents();

private:
    using Job = std::function<Event(modem::SmsTransport&)>;
    bool Start(Job job);
    // The job on a transport of its own, which Cancel() reaches while the job runs.
    Event Run(const modem::TransportOptions& options, const Job& job);
    void Queue(Event event);

    modem::TransportOptions options_;
    HWND window_;
    UINT message_;
    std::thread thread_;

    std::mutex mutex_;
    std::deque<Event> events_;
    modem::SmsTransport* transport_ = nullptr;
    bool cancelRequested_ = false;
};

}  // namespace app::win32
