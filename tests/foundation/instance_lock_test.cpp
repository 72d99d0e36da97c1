// The instance lock: re-entrancy, exclusion under many threads, the timed wait in both of its waits
// (for a holder that came without the mutex and for one that came through it), a thread in line not
// overtaken by a thread that locks again and again, and no system call while nobody contends it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/platform.h"
#if defined(__linux__)
#include "tests/support/system_call_free.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

bool tryFromOtherThread(platform::InstanceLock& lock, std::uint32_t timeoutMs) {
    bool got = false;
    std::thread other([&] {
        got = lock.lock(timeoutMs);
        if (got) lock.unlock();
    });
    other.join();
    return got;
}

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A thread that takes the lock and holds it until told to let go.
class Holder {
public:
    explicit Holder(platform::InstanceLock& lock) : thread_([this, &lock] {
        lock.lock(0);
        held_ = true;
        while (!release_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        lock.unlock();
    }) {
        while (!held_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~Holder() {
        release_ = true;
        thread_.join();
    }
    void releaseAfter(std::chrono::milliseconds delay) {
        std::this_thread::sleep_for(delay);
        release_ = true;
    }

private:
    std::atomic<bool> held_{false}, release_{false};
    std::thread thread_;
};

TEST(InstanceLock, IsReentrantForItsOwnerAndExcludesOthersUntilFullyReleased) {
    platform::InstanceLock lock;
    ASSERT_TRUE(lock.lock(0));
    ASSERT_TRUE(lock.lock(1000));
    EXPECT_FALSE(tryFromOtherThread(lock, 20));
    lock.unlock();
    EXPECT_FALSE(tryFromOtherThread(lock, 20));  // still held once
    lock.unlock();
    EXPECT_TRUE(tryFromOtherThread(lock, 1000));
    lock.unlock();  // not held: releases nothing
    ASSERT_TRUE(lock.lock(0));
    EXPECT_FALSE(tryFromOtherThread(lock, 20));
    lock.unlock();
}

TEST(InstanceLock, ATimedWaitEndsAfterItsTimeoutOrWhenTheHolderLetsGo) {
    platform::InstanceLock lock;
    {
        // The holder took the lock without the mutex: the waiter gets the mutex and waits for the word.
        Holder holder(lock);
        const auto start = Clock::now();
        EXPECT_FALSE(lock.lock(150));
        EXPECT_GE(msSince(start), 120);
        EXPECT_LT(msSince(start), 5000);
        std::thread releasing([&] { holder.releaseAfter(std::chrono::milliseconds(50)); });
        EXPECT_TRUE(lock.lock(5000));  // through the mutex, which it keeps while it holds the lock
        releasing.join();
        // Whoever comes now sleeps on the mutex: it times out, or wakes when the holder lets go.
        const auto second = Clock::now();
        EXPECT_FALSE(tryFromOtherThread(lock, 150));
        EXPECT_GE(msSince(second), 120);
        std::atomic<bool> got{false};
        std::thread waiter([&] {
            got = lock.lock(5000);
            if (got) lock.unlock();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(got);
        lock.unlock();
        waiter.join();
        EXPECT_TRUE(got);
    }
    EXPECT_TRUE(lock.lock(0));  // and it is free again, for the fast way in
    lock.unlock();
}

TEST(InstanceLock, ManyThreadsNeverHoldItTogether) {
    platform::InstanceLock lock;
    constexpr int kThreads = 8;
    constexpr int kRounds = 1500;
    long long counter = 0;  // guarded by the lock alone
    std::atomic<int> inside{0}, entered{0}, overlaps{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!go) std::this_thread::yield();
            for (int i = 0; i < kRounds; ++i) {
                // Without limit, with the frame's limit, and with a short one that may run out.
                const std::uint32_t timeout = (i + t) % 3 == 0 ? 0 : (i + t) % 3 == 1 ? 1000 : 1;
                if (!lock.lock(timeout)) continue;
                if (inside.fetch_add(1) != 0) ++overlaps;
                if (i % 4 == 0 && lock.lock(1)) lock.unlock();  // re-entry never waits
                const long long seen = counter;  // a read and a later write, with time between them
                for (const auto start = Clock::now(); Clock::now() - start < std::chrono::microseconds(2);) {
                }
                counter = seen + 1;
                ++entered;
                inside.fetch_sub(1);
                lock.unlock();
            }
        });
    }
    go = true;
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(counter, entered.load());
    EXPECT_GE(entered.load(), kThreads * kRounds * 2 / 3);  // every wait without limit or of 1000 ms got in
}

TEST(InstanceLock, AThreadInLineIsNotOvertakenByOneThatLocksAgainAndAgain) {
    // An offline render locks block after block with hardly a gap; a set-up waiting with its timeout
    // must still get in.
    platform::InstanceLock lock;
    std::atomic<bool> stop{false};
    std::thread render([&] {
        while (!stop) {
            lock.lock(0);
            const auto busy = Clock::now();
            while (Clock::now() - busy < std::chrono::microseconds(200)) {
            }
            lock.unlock();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(lock.lock(1000)) << i;
        lock.unlock();
    }
    stop = true;
    render.join();
}

#if defined(__linux__) && !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
TEST(InstanceLock, TakingAndReleasingItUncontendedMakesNoSystemCall) {
    EXPECT_FALSE(testsupport::runsWithoutSystemCalls([] { (void)getppid(); }));  // the sandbox does catch them
    platform::InstanceLock lock;
    EXPECT_TRUE(testsupport::runsWithoutSystemCalls([&] {
        for (int i = 0; i < 1000; ++i) {
            if (!lock.lock(1000) || !lock.lock(0)) _exit(1);
            lock.unlock();
            lock.unlock();
        }
    }));
}
#endif

}  // namespace
