// Eight one-pole followers of one channel's look-ahead peak, each with its own attack and release
// time, in one or two smoothing stages; their maximum (at least 1) drives the slow gain reduction.
#pragma once

#include <array>

namespace zarpa::dsp {

inline constexpr int kFollowers = 8;

// Follower 0 is the slowest (32 ms attack, release R), follower 7 the fastest (1 ms, 2 ms).
struct FollowerCoefficients {
    std::array<double, kFollowers> attack{};
    std::array<double, kFollowers> release{};

    void setAttack(double fs);                 // t_k = 32 - k·4.428571428571429 ms
    void setRelease(double releaseMs, double fs);  // ρ_k = R - (k·(R - 2))/7 ms
};

// Audio thread only.
class ReleaseFollowers {
public:
    void reset() {
        first_.fill(0.0);
        second_.fill(0.0);
    }

    // d: the linked look-ahead peak. Returns F = max(1, every follower's output).
    double step(double d, const FollowerCoefficients& c, bool twoStages) {
        for (int k = 0; k < kFollowers; ++k) {
            const double y = first_[k];
            first_[k] = y + (d - y) * (d >= y ? c.attack[k] : c.release[k]);
        }
        if (twoStages) {
            for (int k = 0; k < kFollowers; ++k) {
                const double x = first_[k];
                const double y = second_[k];
                second_[k] = y + (x - y) * (x > y ? c.attack[k] : c.release[k]);
            }
        } else {
            second_ = first_;
        }
        double peak = 1.0;
        for (int k = 0; k < kFollowers; ++k) peak = second_[k] > peak ? second_[k] : peak;
        return peak;
    }

private:
    std::array<double, kFollowers> first_{};
    std::array<double, kFollowers> second_{};
};

}  // namespace zarpa::dsp
