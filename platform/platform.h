// The thin layer between the plug-in and the operating system: instance lock, tick, module handle,
// and the per-user settings store. Win32 in the DLL, POSIX (XDG config directory) on Linux.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A re-entrant lock with a timed wait. The owning thread may take it again; every lock() that
// succeeded needs one unlock(). While nobody else holds or waits for it, taking and releasing it make
// no system call (an atomic word in user space); contended, it waits on the operating system's mutex.
// Thread-safe; the object itself is created and destroyed by one owner.
class InstanceLock {
public:
    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Waits at most timeoutMs milliseconds (0: without limit). Returns true when the lock is held.
    bool lock(std::uint32_t timeoutMs);
    void unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Milliseconds since an arbitrary start, wrapping at 2^32 (GetTickCount on Windows).
std::uint32_t tickMs();

// The handle of the module (DLL or shared library) this code lives in; recorded at load.
void* moduleHandle();

// Value types as the Windows registry knows them; the Linux store keeps the bytes and ignores the type.
enum class ValueType : std::uint32_t { Binary = 3 /*REG_BINARY*/, Text = 1 /*REG_SZ*/, Dword = 4 /*REG_DWORD*/ };

// One key of the per-user settings store, e.g. "SOFTWARE\\OKA-tonelab\\OKAzarpa\\PREFS" (backslashes,
// relative to the current user's root). Open for the whole operation, then destroyed (closing it).
class SettingsKey {
public:
    virtual ~SettingsKey() = default;

    // Reads a value into buf. Returns the number of bytes read, or -1 when the value is missing,
    // unreadable, or larger than maxBytes (as a registry query with a too-small buffer fails).
    virtual long readValue(const char* name, void* buf, std::size_t maxBytes) = 0;

    // Writes a value atomically (a reader sees the old or the new bytes, never a mix). True on success.
    virtual bool writeValue(const char* name, ValueType type, const void* data, std::size_t size) = 0;

    // Deletes a value; a missing value is no error. True when the value is gone afterwards.
    virtual bool deleteValue(const char* name) = 0;
};

// Opens an existing key for reading (nullptr when it does not exist or cannot be opened).
std::unique_ptr<SettingsKey> openSettingsKey(const char* path);
// Opens or creates a key for writing (nullptr when it cannot be created).
std::unique_ptr<SettingsKey> createSettingsKey(const char* path);

// Conversions between the 8-bit texts of the preset system and the UTF-16 texts of the store
// (the current locale's multibyte conversion in the DLL, UTF-8 on Linux). Both stop at a NUL.
std::u16string toUtf16(const char* text);
std::string fromUtf16(const char16_t* text, std::size_t maxChars);

// The process's current working directory, at most maxChars characters ("" when unknown).
std::string currentDirectory(std::size_t maxChars);

// The user's documents folder (else the home folder on Linux), with its trailing separator, at most
// maxChars characters ("" when unknown or longer): where file dialogs start before the user chose a place.
std::string documentsDirectory(std::size_t maxChars);

// Replaces the file at path with the given bytes so that it ends up holding either its old contents or all
// of the new ones, never a part: the bytes go to a temporary file in the same directory, reach the disk, and
// are renamed over the target. The 8-bit path is in the encoding of toUtf16. True on success.
bool writeFileReplacing(const char* path, const void* data, std::size_t size);

}  // namespace platform
