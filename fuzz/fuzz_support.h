// Shared set-up of the fuzz targets: a private settings store and one effect instance per process.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/preset_bar/preset_system_editor.h"
#include "plugin/plugin.h"

namespace zarpa::fuzz {

// Points the Linux settings store at a fresh private directory (on tmpfs when there is one, so the store's
// flushes cost nothing) and returns its path. Called once, before any effect exists.
inline const std::string& privateConfigHome() {
    // Never destroyed, so the exit handler that removes the directory can still read its name.
    static const std::string& dir = *[] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        auto* path = new std::string(std::string(base) + "/zarpa-fuzz-XXXXXX");
        if (!mkdtemp(path->data())) std::abort();
        setenv("XDG_CONFIG_HOME", path->c_str(), 1);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(privateConfigHome(), ignored);
        });
        return path;
    }();
    return dir;
}

inline Plugin& sharedEffect() {
    privateConfigHome();
    static Plugin* effect = new Plugin(nullptr);  // never destroyed: the process ends with the fuzzer
    return *effect;
}

inline CPresetSystemEditor& sharedEditor() {
    return *static_cast<CPresetSystemEditor*>(sharedEffect().getEditor());
}

// A few samples through the signal path, so that values just applied meet the kernel too.
inline void processShortBlock(Plugin& effect) {
    float left[32] = {0.5f, -1.0f, 2.0f}, right[32] = {-0.25f, 1.0f, -2.0f};
    float* io[2] = {left, right};
    effect.processReplacing(io, io, 32);
}

}  // namespace zarpa::fuzz
