// The editor's user-interface lock: the host's editor calls and the window's own timer take turns
// running the editor.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

namespace platform {

// On Linux the window's timer ticks on a thread of its own, while the host calls the editor from its GUI
// thread; both run editor code only while holding this lock, so the editor still sees one user-interface
// thread at a time. Recursive: an editor call may lead to another on the same thread (a timer tick that
// closes the window). A timer tick and the host's idle only try the lock (the other one is doing the
// work); opening and closing the window wait for it.
//
// Nothing holds the lock while the user decides something: file dialogs run beside the host (Linux), or
// let the lock go while their modal loop runs (the DLL; see Released). So the host's threads that take
// it (chunk and program-name calls) wait at most for one idle pass.
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

    // Lets go of the lock for a while when this thread holds it, however deeply, and takes it back as
    // deeply at the end of its scope (a modal dialog's message loop runs meanwhile). No-op for a null lock
    // or one this thread does not hold.
    class Released {
    public:
        explicit Released(UiLock* lock) : lock_(lock) {
            while (lock_ && lock_->isHeldByThisThread()) {
                lock_->unlock();
                ++depth_;
            }
        }
        ~Released() {
            for (int i = 0; i < depth_; ++i) lock_->lock();
        }
        Released(const Released&) = delete;
        Released& operator=(const Released&) = delete;

    private:
        UiLock* lock_;
        int depth_ = 0;
    };

private:
    void enter() {
        if (depth_++ == 0) owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }

    std::recursive_mutex mutex_;
    std::atomic<std::thread::id> owner_{};
    int depth_ = 0;  // guarded by mutex_
};

}  // namespace platform
