// Registry helpers for tests under wine: a scratch HKEY_CURRENT_USER per test, and raw value access that
// bypasses the code under test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zarpa_test {

// Points HKEY_CURRENT_USER of this process (the DLL under test included) at a fresh, empty scratch key and
// removes it again afterwards, so tests never see each other's values or the prefix's own settings.
// Roots nest: an inner one lives inside the outer one, which is in force again when the inner one ends.
// One thread creates and destroys them, innermost first.
class ScopedUserRoot {
public:
    ScopedUserRoot() : outer_(innermost()) {
        static unsigned counter = 0;
        name_ = L"Software\\ZarpaTestRoots\\" + std::to_wstring(GetCurrentProcessId()) + L"." +
                std::to_wstring(++counter);
        RegDeleteTreeW(HKEY_CURRENT_USER, name_.c_str());
        if (RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &scratch_, nullptr) != ERROR_SUCCESS)
            scratch_ = nullptr;
        ok_ = scratch_ && RegOverridePredefKey(HKEY_CURRENT_USER, scratch_) == ERROR_SUCCESS;
        innermost() = this;
    }
    ~ScopedUserRoot() {
        innermost() = outer_;
        RegOverridePredefKey(HKEY_CURRENT_USER, outer_ ? outer_->scratch_ : nullptr);
        if (scratch_) RegCloseKey(scratch_);
        RegDeleteTreeW(HKEY_CURRENT_USER, name_.c_str());
    }
    ScopedUserRoot(const ScopedUserRoot&) = delete;
    ScopedUserRoot& operator=(const ScopedUserRoot&) = delete;

    bool ok() const { return ok_; }

private:
    static ScopedUserRoot*& innermost() {
        static ScopedUserRoot* root = nullptr;
        return root;
    }

    ScopedUserRoot* outer_;
    std::wstring name_;
    HKEY scratch_ = nullptr;
    bool ok_ = false;
};

struct RawValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<unsigned char> bytes;
};

inline bool setRaw(const wchar_t* keyPath, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

inline bool setDword(const wchar_t* keyPath, const wchar_t* name, DWORD value) {
    return setRaw(keyPath, name, REG_DWORD, &value, sizeof value);
}

inline RawValue queryRaw(const wchar_t* keyPath, const wchar_t* name) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.found = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
        value.bytes.resize(size);
    }
    RegCloseKey(key);
    return value;
}

inline bool keyExists(const wchar_t* keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace zarpa_test
