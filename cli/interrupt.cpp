// The signal handlers and the table of temporary files they may remove.
#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/cli_error.h"

namespace zarpacli {

namespace {

constexpr int kSlots = 64;  // a batch's renders side by side, each with its outputs
constexpr std::size_t kMaxPath = 4096;
enum Slot : int { kFree, kFilling, kUsed };
static_assert(std::atomic<int>::is_always_lock_free);

volatile std::sig_atomic_t gSignal = 0;
std::atomic<int> gSlotState[kSlots];  // lock-free, so the handler may read them
char gSlotPath[kSlots][kMaxPath];

void removeRegistered() {
    for (int i = 0; i < kSlots; ++i)
        if (gSlotState[i].load() == kUsed) {
#if defined(_WIN32)
            DeleteFileA(gSlotPath[i]);
#else
            unlink(gSlotPath[i]);
#endif
        }
}

extern "C" void onSignal(int signal) {
    if (gSignal != 0) {  // the second one: the first is being handled too slowly for the user
        removeRegistered();
        _exit(128 + signal);
    }
    gSignal = signal;
#if defined(_WIN32)
    std::signal(signal, onSignal);  // the C runtime resets the handler before calling it
#endif
}

}  // namespace

void installInterruptHandler() {
#if defined(_WIN32)
    for (int s : {SIGINT, SIGTERM, SIGBREAK}) std::signal(s, onSignal);
#else
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked read, write or open returns EINTR and sees the flag
    sigset_t handled;
    sigemptyset(&handled);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(s, &action, nullptr);
        sigaddset(&handled, s);
    }
    // Blocked signals are inherited: one that arrived before the handler (held back by the parent) comes now.
    sigprocmask(SIG_UNBLOCK, &handled, nullptr);
    // A reader that goes away makes the write fail (EPIPE), which unwinds like any error and removes the
    // temporary files, instead of ending the process where it stands.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

int pendingSignal() { return gSignal; }

void throwIfInterrupted() {
    if (const int s = gSignal) throw CliError(static_cast<ExitCode>(128 + s), "interrupted; nothing was written");
}

int registerTemporary(const std::string& path) {
    if (path.size() >= kMaxPath) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (gSlotState[i].compare_exchange_strong(expected, kFilling)) {  // threads of a batch register too
            std::memcpy(gSlotPath[i], path.c_str(), path.size() + 1);
            gSlotState[i].store(kUsed);  // the path is whole before the handler may see the slot
            return i;
        }
    }
    return -1;
}

void unregisterTemporary(int slot) {
    if (slot >= 0 && slot < kSlots) gSlotState[slot].store(kFree);
}

}  // namespace zarpacli
