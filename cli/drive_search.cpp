// Secant steps within a bracket.
#include "cli/drive_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zarpacli {

namespace {

// Below this many LU per dB of Drive the limiter has all but stopped loudness from rising.
constexpr double kSmallestSlope = 0.05;

}  // namespace

DriveSearch::DriveSearch(double low, double high, double tolerance) : low_(low), high_(high), tolerance_(tolerance) {}

void DriveSearch::add(double x, double error) { tries_.emplace_back(x, error); }

bool DriveSearch::met() const { return !tries_.empty() && std::fabs(tries_.back().second) <= tolerance_; }

std::optional<double> DriveSearch::next() const {
    if (tries_.empty()) return std::nullopt;
    const auto [x, y] = tries_.back();
    if (met()) return x;
    if (y < 0.0 && x >= high_) return std::nullopt;  // too quiet at the most Drive
    if (y > 0.0 && x <= low_) return std::nullopt;   // too loud at the least Drive

    // The nearest tries on either side of the target.
    double below = -std::numeric_limits<double>::infinity(), above = std::numeric_limits<double>::infinity();
    for (const auto& [tx, ty] : tries_) {
        if (ty < 0.0) below = std::max(below, tx);
        else above = std::min(above, tx);
    }

    double slope = 1.0;
    if (tries_.size() >= 2) {
        const auto [px, py] = tries_[tries_.size() - 2];
        if (px != x) slope = (y - py) / (x - px);
    }
    slope = std::max(slope, kSmallestSlope);
    double candidate = std::clamp(x - y / slope, low_, high_);
    if (std::isfinite(below) && std::isfinite(above) && !(candidate > below && candidate < above))
        candidate = (below + above) / 2.0;
    return candidate;
}

}  // namespace zarpacli
