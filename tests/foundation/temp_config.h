// A private, empty per-user settings store for one test: XDG_CONFIG_HOME points at a fresh temporary
// directory for the test's lifetime (on Windows, HKEY_CURRENT_USER at a fresh scratch key).
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "plugin/preferences.h"
#ifdef _WIN32
#include "tests/windows/user_root.h"
#endif

class TempConfigHome {
public:
#ifdef _WIN32
    TempConfigHome() = default;  // the scratch registry root below does it all
#else
    TempConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarpa-config-XXXXXX").string();
        dir_ = mkdtemp(pattern.data()) ? pattern : std::string();
        const char* old = getenv("XDG_CONFIG_HOME");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    ~TempConfigHome() {
        if (hadOld_) setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
#endif
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    const std::string& path() const { return dir_; }  // empty on Windows, where the store is the registry

    void writePreference(const char* name, std::int32_t step) {
        auto key = platform::createSettingsKey(zarpa::kPreferencesKeyPath);
        key->writeValue(name, platform::ValueType::Dword, &step, sizeof step);
    }
    void writeRaw(const char* name, const std::string& bytes) {
        auto key = platform::createSettingsKey(zarpa::kPreferencesKeyPath);
        key->writeValue(name, platform::ValueType::Binary, bytes.data(), bytes.size());
    }

private:
#ifdef _WIN32
    zarpa_test::ScopedUserRoot root_;
#endif
    std::string dir_, old_;
    bool hadOld_ = false;
};
