// POSIX side of the platform layer: the instance lock's thread identity and mutex, monotonic tick, module
// handle, text conversion and the working directory. The settings store lives in posix_settings.cpp.
#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/os_lock.h"
#include "platform/platform.h"

namespace platform {

namespace os {

std::uintptr_t currentThreadId() { return static_cast<std::uintptr_t>(pthread_self()); }

// A pthread_t cannot be asked about once its thread has ended.
bool threadEnded(std::uintptr_t) { return false; }

struct Mutex {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
};

Mutex* createMutex() { return new Mutex; }

void destroyMutex(Mutex* m) {
    if (!m) return;
    pthread_mutex_destroy(&m->mutex);
    delete m;
}

bool lockMutex(Mutex* m, std::uint32_t timeoutMs) {
    if (!m) return true;
    if (timeoutMs == 0) return pthread_mutex_lock(&m->mutex) == 0;
    timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeoutMs / 1000;
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    int rc;
    do {
        rc = pthread_mutex_timedlock(&m->mutex, &deadline);
    } while (rc == EINTR);
    return rc == 0;
}

void unlockMutex(Mutex* m) {
    if (m) pthread_mutex_unlock(&m->mutex);
}

void yieldThread() { sched_yield(); }

void sleepBriefly() {
    const timespec oneMs{0, 1000000L};
    nanosleep(&oneMs, nullptr);
}

}  // namespace os

std::uint32_t tickMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

void* moduleHandle() {
    static void* const handle = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&moduleHandle), &info) == 0) return static_cast<void*>(nullptr);
        return info.dli_fbase;
    }();
    return handle;
}

std::u16string toUtf16(const char* text) {
    std::u16string out;
    if (!text) return out;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        unsigned char c = *s;
        char32_t cp = 0;
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        bool valid = extra >= 0;
        if (valid) {
            cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
            for (int i = 1; i <= extra && valid; ++i) {
                if ((s[i] & 0xC0) != 0x80) valid = false;
                else cp = (cp << 6) | (s[i] & 0x3F);
            }
            if (valid && (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
        }
        if (!valid) {  // not UTF-8: take the byte as Latin-1 so no text is lost
            cp = c;
            extra = 0;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        s += 1 + extra;
    }
    return out;
}

std::string fromUtf16(const char16_t* text, std::size_t maxChars) {
    std::string out;
    if (!text) return out;
    for (std::size_t i = 0; i < maxChars && text[i]; ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < maxChars && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string currentDirectory(std::size_t maxChars) {
    char buf[PATH_MAX];
    if (!getcwd(buf, sizeof buf)) return {};
    std::string dir(buf);
    if (dir.size() > maxChars) return {};  // a cut path would name another directory
    return dir;
}

}  // namespace platform
