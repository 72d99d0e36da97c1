// Keeps a run of zarpa apart from the user's own plug-in settings. The plug-in reads a default bank, a
// default preset and metering preferences from its per-user settings store when it is opened, and may
// write into it; a render made with whatever the user last stored as a default would not be
// reproducible. zarpa knows nothing of that store's layout: it gives the whole process a private, empty
// one instead (a fresh XDG config directory on Linux, a private HKEY_CURRENT_USER in the Windows build)
// and removes it again afterwards.
#pragma once

#include <string>

namespace zarpacli {

class UserSettingsIsolation {
public:
    // Isolates when `isolate` is true (before any plug-in is loaded); otherwise leaves the user's store
    // in place. Throws a processing CliError when no private store can be made.
    explicit UserSettingsIsolation(bool isolate);
    ~UserSettingsIsolation();  // the user's store is in force again and the private one is gone
    UserSettingsIsolation(const UserSettingsIsolation&) = delete;
    UserSettingsIsolation& operator=(const UserSettingsIsolation&) = delete;

    bool active() const { return active_; }

private:
    bool active_ = false;
#if defined(_WIN32)
    void* key_ = nullptr;  // the private root (an HKEY)
    std::wstring keyPath_;
#else
    std::string directory_;
    bool hadValue_ = false;
    std::string previousValue_;
#endif
};

}  // namespace zarpacli
