// Eight one-pole followers of one channel's look-ahead peak, each with its own attack and release
// time, in one or two smoothing stages; their maximum (at least 1) drives the slow gain reduction.
#pragma once

namespace zarpa::dsp {

inline constexpr int kFollowers = 8;

// The eight followers as one vector value: the compiler maps it onto whatever vector width the target
// has; each lane is computed exactly as the scalar formula.
typedef double Followers8 __attribute__((vector_size(kFollowers * sizeof(double))));

// Follower 0 is the slowest (32 ms attack, release R), follower 7 the fastest (1 ms, 2 ms).
struct FollowerCoefficients {
    Followers8 attack{};
    Followers8 release{};

    void setAttack(double fs);                     // t_k = 32 - k·4.428571428571429 ms
    void setRelease(double releaseMs, double fs);  // ρ_k = R - (k·(R - 2))/7 ms
};

// Audio thread only.
class ReleaseFollowers {
public:
    void reset() {
        first_ = Followers8{};
        second_ = Followers8{};
    }

    // d: the linked look-ahead peak. Returns F = max(1, every follower's output).
    double step(double d, const FollowerCoefficients& c, bool twoStages) {
        const Followers8 target = d - Followers8{};  // d in every lane
        first_ = first_ + (target - first_) * (target >= first_ ? c.attack : c.release);
        if (twoStages)
            second_ = second_ + (first_ - second_) * (first_ > second_ ? c.attack : c.release);
        else
            second_ = first_;
        double peak = 1.0;
        for (int k = 0; k < kFollowers; ++k) peak = second_[k] > peak ? second_[k] : peak;
        return peak;
    }

private:
    Followers8 first_{};
    Followers8 second_{};
};

}  // namespace zarpa::dsp
