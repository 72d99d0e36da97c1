// The progress line on stderr: shown only on a terminal and only when the job takes more than a
// moment, redrawn in place at most ten times a second, as wide as the terminal allows. It shows what is
// done, the time spent and an estimate of the time left, and the speed against real time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace zarpacli {

// The parts of a progress line, for the given terminal width: the bar takes what the texts leave, and
// the speed and then the label are left out where even a short bar would not fit.
std::string progressLine(const std::string& label, double fraction, double elapsedSeconds, double speed, int width);
// "0:07", "12:34", "1:02:03"; "--:--" where not known.
std::string clockText(double seconds);

class Progress {
public:
    // enabled: the caller's choice (not --quiet); the bar also needs stderr to be a terminal.
    Progress(bool enabled, std::int64_t totalFrames, int sampleRate, std::string label = "rendering");
    void update(std::int64_t framesDone);
    void finish();  // clears the line
    double elapsedSeconds() const;

private:
    using Clock = std::chrono::steady_clock;
    bool active_;
    bool shown_ = false;
    std::int64_t total_;
    int sampleRate_;
    std::string label_;
    int width_ = 80;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
};

// Whether stderr is a terminal, and its width in columns (80 when it cannot be told).
bool stderrIsTerminal();
int terminalColumns();

}  // namespace zarpacli
