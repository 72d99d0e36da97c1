// The instance lock: taken and released in user space while nobody contends it, waited for in the
// kernel, on the operating system's mutex, when somebody does.
//
// The owner word holds the identity of the thread that holds the lock (0: free). A free word is taken
// with one compare-and-swap and given back with one store, so the audio thread's lock around each block
// makes no system call. Re-entry is counted beside the word, by the owner alone.
//
// A thread that finds the word taken pauses briefly (the holder is usually about to finish a block or a
// set-up), then queues on the mutex with its timeout. The thread that holds the mutex is next in line:
// while it waits for the word, newcomers queue behind it instead of taking the word past it. The holder
// may have taken the word without the mutex, so there is nothing to sleep on: the one in line yields,
// then sleeps a millisecond at a time. Once it has the word it keeps the mutex until it lets go of the
// lock, so that everybody behind it sleeps in the kernel until then.
#include <atomic>

#include "platform/os_lock.h"
#include "platform/platform.h"

namespace platform {

namespace {

constexpr int kSpins = 2000;  // pauses before queuing on the mutex: some tens of microseconds
constexpr int kYields = 100;  // yields of the thread in line before it sleeps between looks

inline void pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// The end of a timed wait, on the wrapping millisecond tick; a timeout of 0 never ends.
class Deadline {
public:
    explicit Deadline(std::uint32_t timeoutMs) : start_(tickMs()), timeoutMs_(timeoutMs) {}
    bool passed() const { return timeoutMs_ != 0 && tickMs() - start_ >= timeoutMs_; }

private:
    std::uint32_t start_;
    std::uint32_t timeoutMs_;
};

}  // namespace

struct InstanceLock::Impl {
    std::atomic<std::uintptr_t> owner{0};
    std::atomic<int> queued{0};  // threads in line (holding the mutex) waiting for the word
    int depth = 0;               // the owner's re-entries; touched by the owner only
    bool holdsMutex = false;     // whether the owner came through the mutex; touched by the owner only
    os::Mutex* mutex = os::createMutex();

    bool claim(std::uintptr_t me) {
        std::uintptr_t free = 0;
        return owner.compare_exchange_strong(free, me, std::memory_order_acquire, std::memory_order_relaxed);
    }

    // A thread that ended while holding the lock leaves it to the next one (as an abandoned mutex does).
    bool takeOverFromEnded(std::uintptr_t me) {
        std::uintptr_t holder = owner.load(std::memory_order_relaxed);
        return holder != 0 && os::threadEnded(holder) &&
               owner.compare_exchange_strong(holder, me, std::memory_order_acquire, std::memory_order_relaxed);
    }

    void enter(bool throughMutex) {
        depth = 1;
        holdsMutex = throughMutex;
    }

    bool waitInLine(std::uintptr_t me, std::uint32_t timeoutMs) {
        const Deadline deadline(timeoutMs);
        if (!os::lockMutex(mutex, timeoutMs)) return false;
        queued.fetch_add(1, std::memory_order_relaxed);
        bool got = false;
        for (int round = 0;; ++round) {
            got = claim(me) || takeOverFromEnded(me);
            if (got || deadline.passed()) break;
            if (round < kYields)
                os::yieldThread();
            else
                os::sleepBriefly();
        }
        queued.fetch_sub(1, std::memory_order_relaxed);
        if (!got) {
            os::unlockMutex(mutex);
            return false;
        }
        enter(true);
        return true;
    }
};

InstanceLock::InstanceLock() : impl_(new Impl) {}

InstanceLock::~InstanceLock() { os::destroyMutex(impl_->mutex); }

bool InstanceLock::lock(std::uint32_t timeoutMs) {
    Impl& s = *impl_;
    const std::uintptr_t me = os::currentThreadId();
    if (s.owner.load(std::memory_order_relaxed) == me) {  // only this thread ever stores its own identity
        ++s.depth;
        return true;
    }
    for (int i = 0; i < kSpins && s.queued.load(std::memory_order_relaxed) == 0; ++i) {
        if (s.owner.load(std::memory_order_relaxed) == 0 && s.claim(me)) {
            s.enter(false);
            return true;
        }
        pause();
    }
    return s.waitInLine(me, timeoutMs);
}

void InstanceLock::unlock() {
    Impl& s = *impl_;
    if (s.owner.load(std::memory_order_relaxed) != os::currentThreadId()) return;  // not held by this thread
    if (--s.depth > 0) return;
    const bool throughMutex = s.holdsMutex;
    s.owner.store(0, std::memory_order_release);
    if (throughMutex) os::unlockMutex(s.mutex);
}

}  // namespace platform
