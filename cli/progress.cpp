// Drawing the progress line.
#include "cli/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace zarpacli {

namespace {

constexpr double kShowAfterSeconds = 0.5;
constexpr double kRedrawSeconds = 0.1;
constexpr int kShortestBar = 10;
constexpr int kLongestBar = 40;
// The estimate of the time left waits for this share of the work, so that start-up does not skew it.
constexpr double kEstimateAfter = 0.02;

}  // namespace

bool stderrIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

int terminalColumns() {
#if defined(_WIN32)
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (ioctl(fileno(stderr), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
    if (const char* columns = std::getenv("COLUMNS"); columns && std::atoi(columns) > 0) return std::atoi(columns);
    return 80;
}

std::string clockText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0) return "--:--";
    const long s = std::lround(seconds);
    char text[32];
    if (s >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::string progressLine(const std::string& label, double fraction, double elapsedSeconds, double speed, int width) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const double left = fraction >= kEstimateAfter ? elapsedSeconds * (1.0 - fraction) / fraction : -1.0;
    char percent[8];
    std::snprintf(percent, sizeof percent, " %3d%%", static_cast<int>(fraction * 100.0));
    std::string times(1, ' ');
    times.append(clockText(elapsedSeconds)).append(" elapsed, ").append(clockText(left)).append(" left");
    char speedText[32];
    std::snprintf(speedText, sizeof speedText, "  %.1fx", speed);
    const std::string done = percent;

    // The last column stays empty: a terminal that wraps at its edge would start a new line.
    const int room = width - 1;
    std::string head = label + " ", tail = done + times + speedText;
    auto barRoom = [&] { return room - static_cast<int>(head.size() + tail.size()) - 2; };
    if (barRoom() < kShortestBar) tail = done + times;
    if (barRoom() < kShortestBar) head.clear();
    if (barRoom() < kShortestBar) tail = done + times.substr(times.find(", ") + 1);
    const int bar = std::clamp(barRoom(), 0, kLongestBar);
    std::string line = head;
    if (bar > 0) {
        const int filled = static_cast<int>(fraction * bar);
        line.append(1, '[').append(static_cast<std::size_t>(filled), '#');
        line.append(static_cast<std::size_t>(bar - filled), '.').append(1, ']');
    }
    line += tail;
    if (static_cast<int>(line.size()) > room) line.resize(static_cast<std::size_t>(std::max(room, 0)));
    return line;
}

Progress::Progress(bool enabled, std::int64_t totalFrames, int sampleRate, std::string label)
    : active_(enabled && stderrIsTerminal()), total_(std::max<std::int64_t>(totalFrames, 1)), sampleRate_(sampleRate),
      label_(std::move(label)), start_(Clock::now()), lastDraw_(start_) {
    if (active_) width_ = terminalColumns();
}

double Progress::elapsedSeconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

void Progress::update(std::int64_t framesDone) {
    if (!active_) return;
    const auto now = Clock::now();
    if (std::chrono::duration<double>(now - start_).count() < kShowAfterSeconds) return;
    if (shown_ && std::chrono::duration<double>(now - lastDraw_).count() < kRedrawSeconds) return;
    lastDraw_ = now;
    shown_ = true;
    const double elapsed = elapsedSeconds();
    const double speed = static_cast<double>(framesDone) / std::max(sampleRate_, 1) / std::max(elapsed, 1e-9);
    const std::string line =
        progressLine(label_, static_cast<double>(framesDone) / static_cast<double>(total_), elapsed, speed, width_);
    // Padded with blanks over whatever a longer line before it left (no terminal escapes, which not every
    // Windows console takes).
    std::fprintf(stderr, "\r%-*s", width_ - 1, line.c_str());
    std::fflush(stderr);
}

void Progress::finish() {
    if (!shown_) return;
    std::fprintf(stderr, "\r%*s\r", width_ - 1, "");
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace zarpacli
