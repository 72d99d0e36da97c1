// The search for the Drive that brings a render to a loudness target: a secant step on the loudness
// error over Drive (the first step assumes that loudness follows Drive one to one, as it does below the
// limiter's threshold), kept inside the bracket found so far, within Drive's range. Loudness rises ever
// more slowly with Drive once the limiter works hard, so the slope is floored: the search then takes
// large steps and ends at the end of the range when the target lies beyond it.
#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace zarpacli {

class DriveSearch {
public:
    // low, high: Drive's range in dB; tolerance: the loudness error accepted, in LU.
    DriveSearch(double low, double high, double tolerance);

    // The loudness error (measured minus target) that Drive x gave.
    void add(double x, double error);
    bool met() const;
    // The Drive to try next; nullopt when the target lies beyond the range (the last try sat at the end
    // of the range that should have reached it).
    std::optional<double> next() const;

private:
    double low_, high_, tolerance_;
    std::vector<std::pair<double, double>> tries_;
};

}  // namespace zarpacli
