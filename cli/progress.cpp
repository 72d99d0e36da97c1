// Drawing the progress bar.
#include "cli/progress.h"

#include <algorithm>
#include <cstdio>
#include <string>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zarpacli {

namespace {

constexpr double kShowAfterSeconds = 0.5;
constexpr double kRedrawSeconds = 0.1;
constexpr int kBarWidth = 30;

}  // namespace

bool stderrIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

Progress::Progress(bool enabled, std::int64_t totalFrames, int sampleRate)
    : active_(enabled && stderrIsTerminal()), total_(std::max<std::int64_t>(totalFrames, 1)), sampleRate_(sampleRate),
      start_(Clock::now()), lastDraw_(start_) {}

double Progress::elapsedSeconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

void Progress::update(std::int64_t framesDone) {
    if (!active_) return;
    const auto now = Clock::now();
    if (std::chrono::duration<double>(now - start_).count() < kShowAfterSeconds) return;
    if (shown_ && std::chrono::duration<double>(now - lastDraw_).count() < kRedrawSeconds) return;
    lastDraw_ = now;
    shown_ = true;
    const double fraction = std::clamp(static_cast<double>(framesDone) / total_, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kBarWidth);
    const double speed = static_cast<double>(framesDone) / sampleRate_ / std::max(elapsedSeconds(), 1e-9);
    std::string bar(filled, '#');
    bar.append(kBarWidth - filled, '.');
    std::fprintf(stderr, "\rrendering [%s] %3d%%  %.1fx realtime ", bar.c_str(), static_cast<int>(fraction * 100),
                 speed);
    std::fflush(stderr);
}

void Progress::finish() {
    if (!shown_) return;
    std::fprintf(stderr, "\r%*s\r", kBarWidth + 40, "");
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace zarpacli
