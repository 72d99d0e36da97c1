// The editor's user-interface lock: the host's editor calls and the window's own timer take turns
// running the editor.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

namespace toolkit {

// On Linux the window's timer ticks on a thread of its own, while the host calls the editor from its GUI
// thread; both run editor code only while holding this lock, so the editor still sees one user-interface
// thread at a time. Recursive: an editor call may lead to another on the same thread (a timer tick that
// closes the window). A timer tick and the host's idle only try the lock (the other one is doing the
// work); opening and closing the window wait for it.
//
// A modal file dialog runs under the lock. So that closing the window cannot wait on a dialog the user
// left open, close first asks for the dialog to be abandoned (modalAbandonRequested), then waits.
class UiLock {
public:
    void lock() {
        mutex_.lock();
        enter();
    }
    bool try_lock() {
        if (!mutex_.try_lock()) return false;
        enter();
        return true;
    }
    void unlock() {
        if (--depth_ == 0) owner_.store(std::thread::id(), std::memory_order_relaxed);
        mutex_.unlock();
    }
    bool isHeldByThisThread() const { return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id(); }

    // Waits for the lock, asking a modal loop that holds it on another thread to give up first.
    void lockAbandoningModal() {
        closeRequests_.fetch_add(1, std::memory_order_relaxed);
        lock();
        closeRequests_.fetch_sub(1, std::memory_order_relaxed);
    }
    bool modalAbandonRequested() const { return closeRequests_.load(std::memory_order_relaxed) > 0; }

private:
    void enter() {
        if (depth_++ == 0) owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }

    std::recursive_mutex mutex_;
    std::atomic<std::thread::id> owner_{};
    int depth_ = 0;  // guarded by mutex_
    std::atomic<int> closeRequests_{0};
};

}  // namespace toolkit
