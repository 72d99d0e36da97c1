// The Linux window's own timers: one thread per window, ticking under the editor's user-interface lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "toolkit/platform_window.h"

namespace toolkit {

// Reports platformTimer(id) to the client at each timer's interval, from a thread of its own, while
// holding uiLock (tried, never waited for: when the host is running the editor, that tick is skipped).
//
// Threading: start, stop and the destructor are called by whoever holds uiLock, or from a tick itself.
// The destructor ends the thread: it waits for it, except when called from a tick on that thread (a tick
// that closes the window), where the thread ends by itself after the tick, touching only the state it
// shares with this object.
class TimerThread {
public:
    TimerThread(std::shared_ptr<platform::UiLock> uiLock, PlatformWindowClient& client);
    ~TimerThread();
    TimerThread(const TimerThread&) = delete;
    TimerThread& operator=(const TimerThread&) = delete;

    // Starts (or restarts) timer id; false when the thread could not be made.
    bool start(int id, std::uint32_t intervalMs);
    void stop(int id);

private:
    struct Timer {
        std::chrono::milliseconds interval;
        std::chrono::steady_clock::time_point due;
    };
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        bool ending = false;
        std::map<int, Timer> timers;
        std::shared_ptr<platform::UiLock> uiLock;
        PlatformWindowClient* client;
    };
    static void run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace toolkit
