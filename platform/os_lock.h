// What the instance lock needs from the operating system (posix.cpp, win32.cpp): the calling thread's
// identity, a mutex with a timed wait for the contended case, and ways to wait a moment. Internal to
// platform/.
#pragma once

#include <cstdint>

namespace platform::os {

// The calling thread's identity, never 0, without a system call (the thread block is read in place).
std::uintptr_t currentThreadId();

// True when the thread with this identity has ended (its lock can then be taken over). Only asked while
// waiting; false where the system cannot tell.
bool threadEnded(std::uintptr_t id);

// The operating system's mutex: the kernel wait of contended lockers. Not re-entrant; the thread that
// locked it unlocks it.
struct Mutex;
Mutex* createMutex();  // nullptr when the system refuses one
void destroyMutex(Mutex* m);
bool lockMutex(Mutex* m, std::uint32_t timeoutMs);  // 0: without limit; true when held
void unlockMutex(Mutex* m);

// Gives up the rest of the time slice; sleeps about a millisecond.
void yieldThread();
void sleepBriefly();

}  // namespace platform::os
