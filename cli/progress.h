// The progress bar on stderr: shown only on a terminal, only when the job takes more than a moment,
// and redrawn at most ten times a second.
#pragma once

#include <chrono>
#include <cstdint>

namespace zarpacli {

class Progress {
public:
    // enabled: the caller's choice (not --quiet); the bar also needs stderr to be a terminal.
    Progress(bool enabled, std::int64_t totalFrames, int sampleRate);
    void update(std::int64_t framesDone);
    void finish();  // clears the bar
    double elapsedSeconds() const;

private:
    using Clock = std::chrono::steady_clock;
    bool active_;
    bool shown_ = false;
    std::int64_t total_;
    int sampleRate_;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
};

// Whether stderr is a terminal.
bool stderrIsTerminal();

}  // namespace zarpacli
