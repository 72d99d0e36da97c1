// Whether the host still calls process: hosts stop calling it when the transport stops or when they
// bypass the plug-in, and the meter values then stand still at the last block's. The editor watches the
// effect's count of processed blocks and lets its meters rest once the count has not moved for a while.
#pragma once

#include <cstdint>

namespace zarpa {

class HostSignalWatch {
public:
    // Longer than the gap between two blocks of any real-time host (8192 samples at 22050 Hz is 372 ms),
    // short enough that the meters are at rest well within a second.
    static constexpr std::uint32_t kQuietMs = 400;

    enum class Signal {
        kFlowing,        // a block came within kQuietMs
        kJustStopped,    // the first pass without one for kQuietMs: the meters rest now
        kStopped,        // still none: the meters show silence
    };

    // Restarts the watch (the window opened): the host counts as playing until kQuietMs have passed.
    void restart(std::uint32_t now, std::uint32_t blockCount);
    // Each idle pass, with its tick and the effect's current block count.
    Signal update(std::uint32_t now, std::uint32_t blockCount);

private:
    std::uint32_t lastCount_ = 0;
    std::uint32_t lastChangeTick_ = 0;
    bool stopped_ = false;
};

}  // namespace zarpa
