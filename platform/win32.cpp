// Windows side of the platform layer: the instance lock's thread identity and Win32 mutex, the tick count,
// the module handle, the ANSI code page text conversion and the working directory. The settings store lives
// in win32_settings.cpp.
#include <windows.h>

#include <climits>
#include <vector>

#include "platform/os_lock.h"
#include "platform/platform.h"

namespace platform {

namespace os {

std::uintptr_t currentThreadId() { return static_cast<std::uintptr_t>(GetCurrentThreadId()); }

bool threadEnded(std::uintptr_t id) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!thread) return GetLastError() == ERROR_INVALID_PARAMETER;  // no thread has this identity any more
    const bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

// The Win32 mutex behind the lock's user-space word.
struct Mutex {
    HANDLE handle;
};

Mutex* createMutex() {
    HANDLE handle = CreateMutexA(nullptr, FALSE, nullptr);
    return handle ? new Mutex{handle} : nullptr;
}

void destroyMutex(Mutex* m) {
    if (!m) return;
    CloseHandle(m->handle);
    delete m;
}

bool lockMutex(Mutex* m, std::uint32_t timeoutMs) {
    if (!m) return true;
    const DWORD result = WaitForSingleObject(m->handle, timeoutMs == 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    // WAIT_ABANDONED: a thread ended while holding it; the caller owns the mutex now all the same.
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void unlockMutex(Mutex* m) {
    if (m) ReleaseMutex(m->handle);
}

void yieldThread() { SwitchToThread(); }

void sleepBriefly() { Sleep(1); }

}  // namespace os

std::uint32_t tickMs() { return static_cast<std::uint32_t>(GetTickCount()); }

void* moduleHandle() {
    // Asked by address rather than recorded in DllMain: a DllMain inside a static library may not be linked in.
    static void* const handle = [] {
        HMODULE module = nullptr;
        const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
        const auto* address = reinterpret_cast<LPCWSTR>(&moduleHandle);
        return GetModuleHandleExW(flags, address, &module) ? static_cast<void*>(module) : nullptr;
    }();
    return handle;
}

std::u16string toUtf16(const char* text) {
    if (!text || !text[0]) return {};
    const int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);  // counts the terminator
    if (needed <= 1) return {};
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(out.data()), needed);
    out.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
    return out;
}

std::string fromUtf16(const char16_t* text, std::size_t maxChars) {
    if (!text) return {};
    std::size_t length = 0;
    while (length < maxChars && text[length]) ++length;
    if (length == 0 || length > static_cast<std::size_t>(INT_MAX)) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text);
    const int count = static_cast<int>(length);
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, wide, count, out.data(), needed, nullptr, nullptr);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

std::string currentDirectory(std::size_t maxChars) {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);  // counts the terminator
    if (needed == 0) return {};
    std::vector<char> buffer(needed);
    const DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    if (length == 0 || length >= needed) return {};  // failed, or changed size between the two calls
    if (length > maxChars) return {};                // a cut path would name another directory
    return std::string(buffer.data(), length);
}

}  // namespace platform
