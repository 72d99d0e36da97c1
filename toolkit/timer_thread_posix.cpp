// The Linux window's timer thread: waits for the next due timer, then ticks the due ones under the
// editor's user-interface lock.
#include "toolkit/timer_thread.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace toolkit {

namespace {
thread_local bool onTimerThread = false;
}  // namespace

bool onWindowTimerThread() { return onTimerThread; }

TimerThread::TimerThread(std::shared_ptr<platform::UiLock> uiLock, PlatformWindowClient& client)
    : shared_(std::make_shared<Shared>()) {
    shared_->uiLock = std::move(uiLock);
    shared_->client = &client;
}

TimerThread::~TimerThread() {
    {
        std::lock_guard<std::mutex> guard(shared_->mutex);
        shared_->ending = true;
        shared_->timers.clear();
    }
    shared_->wake.notify_all();
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) thread_.detach();  // a tick is ending its own window
    else thread_.join();
}

bool TimerThread::start(int id, std::uint32_t intervalMs) {
    if (!shared_->uiLock) return false;
    const auto interval = std::chrono::milliseconds(std::max<std::uint32_t>(intervalMs, 1));
    {
        std::lock_guard<std::mutex> guard(shared_->mutex);
        shared_->timers[id] = Timer{interval, std::chrono::steady_clock::now() + interval};
    }
    shared_->wake.notify_all();
    if (thread_.joinable()) return true;
    try {
        thread_ = std::thread(&TimerThread::run, shared_);
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> guard(shared_->mutex);
        shared_->timers.erase(id);
        return false;
    }
    return true;
}

void TimerThread::stop(int id) {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    shared_->timers.erase(id);
}

void TimerThread::run(std::shared_ptr<Shared> shared) {
    onTimerThread = true;
    std::vector<int> due;
    std::unique_lock<std::mutex> lock(shared->mutex);
    while (!shared->ending) {
        auto next = std::chrono::steady_clock::time_point::max();
        for (const auto& [id, timer] : shared->timers) next = std::min(next, timer.due);
        if (next == std::chrono::steady_clock::time_point::max()) shared->wake.wait(lock);
        else shared->wake.wait_until(lock, next);
        if (shared->ending) break;

        const auto now = std::chrono::steady_clock::now();
        due.clear();
        for (auto& [id, timer] : shared->timers) {
            if (timer.due > now) continue;
            due.push_back(id);
            timer.due += timer.interval;
            if (timer.due <= now) timer.due = now + timer.interval;  // late ticks are dropped, not caught up
        }
        if (due.empty()) continue;

        // The tick runs without our own mutex: it may start or stop timers, or end the window.
        lock.unlock();
        {
            std::unique_lock<platform::UiLock> turn(*shared->uiLock, std::try_to_lock);
            for (std::size_t i = 0; turn && i < due.size(); ++i) {
                {
                    std::lock_guard<std::mutex> guard(shared->mutex);
                    if (shared->ending) break;
                    if (!shared->timers.count(due[i])) continue;  // stopped by an earlier tick
                }
                shared->client->platformTimer(due[i]);
            }
        }
        lock.lock();
    }
}

}  // namespace toolkit
