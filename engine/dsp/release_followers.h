// Eight one-pole followers of one channel's look-ahead peak, each with its own attack and release
// time, in one or two smoothing stages; their maximum (at least 1) drives the slow gain reduction.
#pragma once

#include <array>

namespace zarpa::dsp {

inline constexpr int kFollowers = 8;

// Follower 0 is the slowest (32 ms attack, release R), follower 7 the fastest (1 ms, 2 ms); the times
// in between are evenly spaced.
struct FollowerCoefficients {
    static constexpr double kSlowestAttackMs = 32.0;
    static constexpr double kFastestAttackMs = 1.0;
    static constexpr double kFastestReleaseMs = 2.0;

    alignas(32) std::array<double, kFollowers> attack{};
    alignas(32) std::array<double, kFollowers> release{};

    void setAttack(double fs);                     // t_k = 32 - k·(31/7) ms
    void setRelease(double releaseMs, double fs);  // ρ_k = R - (k·(R - 2))/7 ms
};

// Audio thread only.
class ReleaseFollowers {
public:
    void reset() {
        first_.fill(0.0);
        second_.fill(0.0);
    }

    // dL, dR: n linked look-ahead peaks per channel. Writes F = max(1, every follower's output) for each.
    // Both channels in one pass, so that their independent updates overlap in time.
    static void processPair(ReleaseFollowers& left, ReleaseFollowers& right, const double* dL, const double* dR,
                            int n, const FollowerCoefficients& c, bool twoStages, double* peakL, double* peakR);

private:
    alignas(32) std::array<double, kFollowers> first_{};   // first smoothing stage
    alignas(32) std::array<double, kFollowers> second_{};  // second stage ("II"), else a copy of the first
};

}  // namespace zarpa::dsp
