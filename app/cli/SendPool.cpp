#include "app/cli/SendPool.h"

#include <algorithm>
#include <utility>

namespace app {
namespace {

// How often a waiting thread asks whether the run was stopped from outside (a signal handler
// cannot wake it).
constexpr std::chrono::milliseconds kStopPoll{100};

}  // namespace

SendPool::SendPool(std::vector<PoolMember> members, int ratePerMinute, std::function<bool()> stopped)
    : members_(std::move(members)), stopped_(std::move(stopped)) {
    if (ratePerMinute > 0) {
        spacing_ = std::chrono::duration_cast<Clock::duration>(std::chrono::minutes(1)) / ratePerMinute;
    }
    staying_ = members_.size();
    running_ = members_.size();
    threads_.reserve(members_.size());
    for (std::size_t i = 0; i < members_.size(); ++i) {
        threads_.emplace_back([this, i] { Work(i); });
    }
}

SendPool::~SendPool() {
    Stop();
    Join();
}

bool SendPool::StoppedLocked() {
    if (!stop_ && stopped_ && stopped_()) {
        stop_ = true;
        wake_.notify_all();
    }
    return stop_;
}

bool SendPool::WaitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point deadline) {
    if (StoppedLocked()) {
        return false;
    }
    wake_.wait_until(lock, std::min(deadline, Clock::now() + kStopPoll));
    return !StoppedLocked();
}

void SendPool::Push(PoolJob job) {
    std::unique_lock lock(mutex_);
    if (staying_ == 0) {
        const bool stopped = StoppedLocked();
        lock.unlock();
        if (!stopped) {
            job.orphan();
        }
        return;
    }
    queue_.push_back(std::move(job));
    wake_.notify_one();
}

void SendPool::Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    wake_.notify_all();
}

void SendPool::Stop() noexcept {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        wake_.notify_all();
    }
    for (const PoolMember& member : members_) {
        member.transport->Cancel();
    }
}

void SendPool::Join() {
    for (std::thread& thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

std::size_t SendPool::Failed() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}

std::size_t SendPool::Busy() const {
    const std::lock_guard lock(mutex_);
    return busy_;
}

bool SendPool::Ended() const {
    const std::lock_guard lock(mutex_);
    return running_ == 0;
}

void SendPool::Work(std::size_t member) {
    Clock::time_point allowed = Clock::now();
    std::unique_lock lock(mutex_);
    bool stays = true;
    while (stays) {
        // The rate first, so that a job this member may not begin yet goes to another one.
        while (Clock::now() < allowed && WaitUntil(lock, allowed)) {
        }
        while (queue_.empty() && !closed_ && WaitUntil(lock, Clock::time_point::max())) {
        }
        if (StoppedLocked() || queue_.empty()) {
            break;
        }
        PoolJob job = std::move(queue_.front());
        queue_.pop_front();
        ++busy_;
        lock.unlock();
        allowed = Clock::now() + spacing_;
        stays = job.run(member);
        lock.lock();
        --busy_;
        failed_ += stays ? 0 : 1;
    }
    --staying_;
    --running_;
    std::deque<PoolJob> orphans;
    if (staying_ == 0 && !StoppedLocked()) {
        orphans.swap(queue_);
    }
    wake_.notify_all();
    lock.unlock();
    for (PoolJob& job : orphans) {
        job.orphan();
    }
}

}  // namespace app
