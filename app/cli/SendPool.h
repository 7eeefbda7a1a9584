#pragma once

// Jobs shared out in order among several SMS transports, one thread per transport: each thread takes
// the next job as soon as it is free, so a slow transport holds up only its own job. A transport is a
// modem or anything else that sends (modem::SmsTransport); the pool never looks inside the jobs.
//
// A job reports whether its transport may go on; one that may not leaves the pool after that job,
// and the others carry on. When the last one has left, the jobs still queued, and any pushed later,
// are orphaned: handed to their own orphan function on the thread that finds them, so that every job
// ends either done or orphaned, unless the pool was stopped.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "modem/SmsTransport.h"

namespace app {

struct PoolMember {
    std::string name;                          // as the user named it; what a job asks for
    modem::SmsTransport* transport = nullptr;  // used by this member's thread alone (and Stop)
};

struct PoolJob {
    // Does the job through member `member`; false takes that member out of the pool.
    std::function<bool(std::size_t member)> run;
    // Ends a job that no member is left to do.
    std::function<void()> orphan;
};

class SendPool final {
public:
    using Clock = std::chrono::steady_clock;

    // Starts a thread per member. With `ratePerMinute` above 0, the jobs of one member begin at least
    // 60 s / ratePerMinute apart. `stopped` is asked while waiting (it must be cheap and thread-safe):
    // once it says true, the pool acts as if Stop had been called.
    SendPool(std::vector<PoolMember> members, int ratePerMinute, std::function<bool()> stopped);
    // Stops and waits for the threads.
    ~SendPool();
    SendPool(const SendPool&) = delete;
    SendPool& operator=(const SendPool&) = delete;

    // Queues a job behind the others; orphans it at once when no member is left.
    void Push(PoolJob job);
    // No more jobs will come: each thread ends once the queue is empty.
    void Close();
    // No job is begun any more, and every transport is cancelled so that the jobs under way end soon.
    // Jobs never begun stay undone.
    void Stop() noexcept;
    // Waits for every thread to end (after Close or Stop).
    void Join();

    const std::vector<PoolMember>& members() const { return members_; }
    // Members a failed job took out of the pool, and those doing a job now.
    std::size_t Failed() const;
    std::size_t Busy() const;
    // Whether every thread has ended.
    bool Ended() const;

private:
    void Work(std::size_t member);
    // Waits on `lock` until `deadline`, a stop or a wake-up; false once stopped.
    bool WaitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point deadline);
    bool StoppedLocked();

    std::vector<PoolMember> members_;
    Clock::duration spacing_{};
    std::function<bool()> stopped_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<PoolJob> queue_;
    bool closed_ = false;
    bool stop_ = false;
    std::size_t staying_ = 0;  // threads still taking jobs
    std::size_t failed_ = 0;
    std::size_t busy_ = 0;
    std::size_t running_ = 0;
    std::vector<std::thread> threads_;
};

}  // namespace app
