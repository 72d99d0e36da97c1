// The per-user settings store in the DLL: keys under HKEY_CURRENT_USER of the Windows registry, values of the
// types the caller names (REG_BINARY records, REG_SZ texts, REG_DWORD preferences).
#include <windows.h>

#include <algorithm>
#include <new>
#include <vector>

#include "platform/platform.h"

namespace platform {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the registry's wide texts are UTF-16");

std::wstring wideName(const char* text) {
    const std::u16string wide = toUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

bool validName(const char* name) { return name && name[0]; }  // "" would address the key's default value

// One open key. Each operation uses a handle with just the access it needs: a key opened for reading gets
// a second handle for writing or deleting on first use (and the other way round), so both kinds of key
// serve every operation, as they do in the Linux store.
class RegistryKey final : public SettingsKey {
public:
    RegistryKey(HKEY key, REGSAM granted) : key_(key), granted_(granted) {}

    ~RegistryKey() override {
        if (queryKey_) RegCloseKey(queryKey_);
        if (setKey_) RegCloseKey(setKey_);
        RegCloseKey(key_);
    }

    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    long readValue(const char* name, void* buf, std::size_t maxBytes) override {
        HKEY key = handleWith(KEY_QUERY_VALUE, queryKey_);
        if (!key || !validName(name) || !buf) return -1;
        const std::wstring wname = wideName(name);
        // Ask the size first: a value larger than the caller's limit fails without touching the caller's
        // buffer (a failed query leaves the registry's output buffer undefined).
        DWORD size = 0;
        if (RegQueryValueExW(key, wname.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return -1;
        if (size > maxBytes) return -1;
        std::vector<BYTE> bytes(size ? size : 1);
        DWORD got = size;
        if (RegQueryValueExW(key, wname.c_str(), nullptr, nullptr, bytes.data(), &got) != ERROR_SUCCESS) return -1;
        if (got > maxBytes) return -1;
        std::copy(bytes.begin(), bytes.begin() + got, static_cast<BYTE*>(buf));
        return static_cast<long>(got);
    }

    bool writeValue(const char* name, ValueType type, const void* data, std::size_t size) override {
        HKEY key = handleWith(KEY_SET_VALUE, setKey_);
        if (!key || !validName(name) || (!data && size) || size > MAXDWORD) return false;
        return RegSetValueExW(key, wideName(name).c_str(), 0, static_cast<DWORD>(type),
                              static_cast<const BYTE*>(data), static_cast<DWORD>(size)) == ERROR_SUCCESS;
    }

    bool deleteValue(const char* name) override {
        HKEY key = handleWith(KEY_SET_VALUE, setKey_);
        if (!key || !validName(name)) return false;
        const LSTATUS rc = RegDeleteValueW(key, wideName(name).c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }

private:
    HKEY handleWith(REGSAM access, HKEY& extra) {
        if ((granted_ & access) == access) return key_;
        if (!extra && RegOpenKeyExW(key_, nullptr, 0, access, &extra) != ERROR_SUCCESS) extra = nullptr;
        return extra;
    }

    HKEY key_;
    REGSAM granted_;
    HKEY queryKey_ = nullptr;
    HKEY setKey_ = nullptr;
};

// Wraps an open key; closes it again when there is no memory for the wrapper (nothing may throw to callers).
std::unique_ptr<SettingsKey> adopt(HKEY key, REGSAM granted) {
    std::unique_ptr<SettingsKey> wrapped(new (std::nothrow) RegistryKey(key, granted));
    if (!wrapped) RegCloseKey(key);
    return wrapped;
}

}  // namespace

std::unique_ptr<SettingsKey> openSettingsKey(const char* path) {
    if (!validName(path)) return nullptr;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wideName(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    return adopt(key, KEY_QUERY_VALUE);
}

std::unique_ptr<SettingsKey> createSettingsKey(const char* path) {
    if (!validName(path)) return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wideName(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return adopt(key, KEY_WRITE);
}

}  // namespace platform
