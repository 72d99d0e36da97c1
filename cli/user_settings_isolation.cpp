// The private settings store of a zarpa run.
#include "cli/user_settings_isolation.h"

#include "cli/cli_error.h"

#if defined(_WIN32)
#include <windows.h>

#include <string>
#else
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#endif

namespace zarpacli {

#if defined(_WIN32)

namespace {

// A volatile key: should zarpa be killed before it removes it, it is gone with the user's next log-on.
constexpr const wchar_t* kPrivateRoots = L"Software\\Zarpa renderer (private runs)";

}  // namespace

UserSettingsIsolation::UserSettingsIsolation(bool isolate) {
    if (!isolate) return;
    keyPath_ = std::wstring(kPrivateRoots) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount());
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        // From here on HKEY_CURRENT_USER of this process, the plug-in's included, is the empty private key.
        status = RegOverridePredefKey(HKEY_CURRENT_USER, key);
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            RegDeleteKeyW(HKEY_CURRENT_USER, keyPath_.c_str());
        }
    }
    if (status != ERROR_SUCCESS)
        throw processingError("cannot set up a private settings store (registry error " + std::to_string(status) +
                              "); --user-settings renders with your own");
    key_ = key;
    active_ = true;
}

UserSettingsIsolation::~UserSettingsIsolation() {
    if (!active_) return;
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(static_cast<HKEY>(key_));
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kPrivateRoots);  // only when no other run still uses it
}

#else

namespace {

constexpr const char* kConfigVariable = "XDG_CONFIG_HOME";

std::string temporaryDirectory() {
    std::error_code ec;
    std::string dir = std::filesystem::temp_directory_path(ec).string();
    return ec || dir.empty() ? std::string("/tmp") : dir;
}

}  // namespace

UserSettingsIsolation::UserSettingsIsolation(bool isolate) {
    if (!isolate) return;
    std::string pattern = temporaryDirectory() + "/zarpa-settings-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw processingError("cannot make a private settings directory in " + temporaryDirectory() + ": " +
                              std::strerror(errno) + "; --user-settings renders with your own");
    directory_ = pattern;
    if (const char* previous = std::getenv(kConfigVariable)) {
        hadValue_ = true;
        previousValue_ = previous;
    }
    // The plug-in's store lives under this variable; nothing else in this process reads it.
    setenv(kConfigVariable, directory_.c_str(), 1);
    active_ = true;
}

UserSettingsIsolation::~UserSettingsIsolation() {
    if (!active_) return;
    if (hadValue_) setenv(kConfigVariable, previousValue_.c_str(), 1);
    else unsetenv(kConfigVariable);
    std::error_code ec;
    std::filesystem::remove_all(directory_, ec);
}

#endif

}  // namespace zarpacli
