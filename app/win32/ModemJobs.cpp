#include "app/win32/ModemJobs.h"

#include <utility>

#include "modem/ModemTransport.h"

namespace app::win32 {

ModemJobs::ModemJobs(modem::TransportOptions options, HWND window, UINT message)
    : options_(std::move(options)), window_(window), message_(message) {}

ModemJobs::~ModemJobs() {
    if (thread_.joinable()) {
        Cancel();
        thread_.join();
    }
}

bool ModemJobs::StartListing() {
    return Start([](modem::SmsTransport& transport) -> Event { return transport.ListModems(); });
}

bool ModemJobs::StartSending(const modem::SendRequest& request) {
    return Start([request](modem::SmsTransport& transport) -> Event { return transport.Send(request); });
}

void ModemJobs::Cancel() noexcept {
    const std::lock_guard lock(mutex_);
    cancelRequested_ = true;
    if (transport_ != nullptr) {
        transport_->Cancel();
    }
}

void ModemJobs::Queue(Event event) {
    {
        const std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    PostMessageW(window_, message_, 0, 0);
}

std::vector<ModemJobs::Event> ModemJobs::TakeEvents() {
    std::vector<Event> taken;
    {
        const std::lock_guard lock(mutex_);
        taken.assign(std::make_move_iterator(events_.begin()), std::make_move_iterator(events_.end()));
        events_.clear();
    }
    for (const Event& event : taken) {
        if (std::holds_alternative<Finished>(event) && thread_.joinable()) {
            thread_.join();
        }
    }
    return taken;
}

ModemJobs::Event ModemJobs::Run(const modem::TransportOptions& options, const Job& job) {
    modem::ModemTransport transport(options);
    {
        const std::lock_guard lock(mutex_);
        transport_ = &transport;
        // A cancel that came before the transport existed still stops the job.
        if (cancelRequested_) {
            transport.Cancel();
        }
    }
    const auto forget = [this] {
        const std::lock_guard lock(mutex_);
        transport_ = nullptr;
    };
    Event result;
    try {
        result = job(transport);
    } catch (...) {
        forget();
        throw;
    }
    forget();
    return result;
}

bool ModemJobs::Start(Job job) {
    if (thread_.joinable()) {
        return false;
    }
    {
        const std::lock_guard lock(mutex_);
        cancelRequested_ = false;
    }
    modem::TransportOptions options = options_;
    options.onProgress = [this](const modem::Progress& progress) { Queue(progress); };
    options.onLog = [this](const modem::LogEntry& entry) { Queue(entry); };
    thread_ = std::thread([this, options = std::move(options), job = std::move(job)] {
        try {
            Queue(Run(options, job));
        } catch (...) {
            // Out of memory: the job ends without a result, which the dialog shows as no outcome.
        }
        // After the transport is gone: the port is free when the window hears of the end.
        Queue(Finished{});
    });
    return true;
}

}  // namespace app::win32
