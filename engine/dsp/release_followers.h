// Eight one-pole followers of one channel's look-ahead peak, each with its own attack and release
// time, in one or two smoothing stages; their maximum (at least 1) drives the slow gain reduction.
#pragma once

#include <array>

#include "engine/dsp/simd.h"

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
    // Both channels in one pass, so that their independent updates overlap in time. sameInput: dL and dR
    // hold the same values (fully linked channels).
    // Returns true when the right channel's F are the left's (see below).
    static bool processPair(ReleaseFollowers& left, ReleaseFollowers& right, const double* dL, const double* dR,
                            int n, const FollowerCoefficients& c, bool twoStages, bool sameInput, double* peakL,
                            double* peakR) {
        return processPair(left, right, dL, dR, n, c, twoStages, sameInput, peakL, peakR, [](int) {});
    }

    // The same, with beside(i) run after each sample's step: independent work (with a recurrence of its
    // own) placed here overlaps the followers' chains, which leave much of the processor idle while they
    // wait. Everything stays in the one loop (vector values never cross a call). With the same input
    // into followers in the same state, the right channel's steps would repeat the left's exactly: they
    // are left out and its state and F copied.
    template <typename Beside>
    [[gnu::always_inline]] static bool processPair(ReleaseFollowers& left, ReleaseFollowers& right, const double* dL,
                                                   const double* dR, int n, const FollowerCoefficients& c,
                                                   bool twoStages, bool sameInput, double* peakL, double* peakR,
                                                   Beside&& beside) {
        PairRun run(left, right, c);
        const bool mono = sameInput && left.first_ == right.first_ && left.second_ == right.second_;
        const auto loop = [&]<bool kTwoStages, bool kMono>() __attribute__((always_inline)) {
            for (int i = 0; i < n; ++i) {
                run.step<kTwoStages, kMono>(dL[i], dR[i], peakL[i], peakR[i]);
                beside(i);
            }
        };
        if (twoStages) {
            if (mono) loop.template operator()<true, true>();
            else loop.template operator()<true, false>();
        } else {
            if (mono) loop.template operator()<false, true>();
            else loop.template operator()<false, false>();
        }
        run.finish(left, right, mono);
        return mono;
    }

private:
    using Lanes = simd::Lanes;

    // The eight followers of one channel as two vectors of four; each lane is computed exactly as the
    // scalar formula.
    struct Lanes8 {
        Lanes firstLo, firstHi, secondLo, secondHi;

        void load(const ReleaseFollowers& f) {
            simd::load(firstLo, f.first_.data());
            simd::load(firstHi, f.first_.data() + 4);
            simd::load(secondLo, f.second_.data());
            simd::load(secondHi, f.second_.data() + 4);
        }
        void store(ReleaseFollowers& f) const {
            simd::store(f.first_.data(), firstLo);
            simd::store(f.first_.data() + 4, firstHi);
            simd::store(f.second_.data(), secondLo);
            simd::store(f.second_.data() + 4, secondHi);
        }
    };

    // Both channels' followers held in locals (registers) over a chunk.
    class PairRun {
    public:
        PairRun(const ReleaseFollowers& left, const ReleaseFollowers& right, const FollowerCoefficients& c) {
            simd::load(attackLo_, c.attack.data());
            simd::load(attackHi_, c.attack.data() + 4);
            simd::load(releaseLo_, c.release.data());
            simd::load(releaseHi_, c.release.data() + 4);
            left_.load(left);
            right_.load(right);
        }
        // mono: the left channel's state stands for both.
        void finish(ReleaseFollowers& left, ReleaseFollowers& right, bool mono) const {
            (mono ? left_ : right_).store(right);
            left_.store(left);
        }

        // One look-ahead peak per channel through the followers; F of each out. kMono: the right
        // channel is the left one (same input, same state).
        template <bool kTwoStages, bool kMono>
        [[gnu::always_inline]] void step(double dL, double dR, double& peakL, double& peakR) {
            Lanes l;
            follow<kTwoStages>(left_, dL, l);
            if constexpr (kMono) {
                peakL = peakR = followerPeak(l);
            } else {
                Lanes r;
                follow<kTwoStages>(right_, dR, r);
                const simd::Pair peak = followerPeaks(l, r);
                peakL = peak[0];
                peakR = peak[1];
            }
        }

    private:
        // y + (x - y)·k with k the attack coefficient where x is above y, the release one where it is
        // below. The written rules choose by x >= y (first stage) and x > y (second); they differ only
        // where x == y, and there the step is y + 0·k = y whichever k. Elsewhere the sign of x - y tells
        // the same, so the choice is read from it, after one subtraction instead of a comparison beside
        // it: the recurrence then waits for one operation less per sample.
        // With AVX-512 both steps are taken and the choice is made last, by a mask read from the sign bits
        // beside the multiplications (a masked addition): choosing k first would put the three-cycle
        // sign-bit blend of AVX on the recurrence (about a tenth of each step).
        [[gnu::always_inline]] static void approach(Lanes& y, const Lanes& x, const Lanes& attack,
                                                    const Lanes& release) {
            const Lanes difference = x - y;
#if defined(__AVX512DQ__) && defined(__AVX512VL__)
            const __mmask8 falling = _mm256_movepi64_mask(reinterpret_cast<__m256i>(difference));
            const Lanes rising = y + difference * attack;
            const Lanes released = y + difference * release;
            y = _mm256_mask_blend_pd(falling, rising, released);
#else
            Lanes k;
            simd::selectBySign(difference, attack, release, k);
            y = y + difference * k;
#endif
        }

        // One sample d through both stages; larger: the larger of each lane pair of the two vectors.
        template <bool kTwoStages>
        [[gnu::always_inline]] void follow(Lanes8& f, double d, Lanes& larger) const {
            const Lanes target = {d, d, d, d};
            approach(f.firstLo, target, attackLo_, releaseLo_);
            approach(f.firstHi, target, attackHi_, releaseHi_);
            if constexpr (kTwoStages) {
                approach(f.secondLo, f.firstLo, attackLo_, releaseLo_);
                approach(f.secondHi, f.firstHi, attackHi_, releaseHi_);
            } else {
                f.secondLo = f.firstLo;
                f.secondHi = f.firstHi;
            }
            larger = f.secondLo > f.secondHi ? f.secondLo : f.secondHi;
        }

        // F = max(1, every follower's output) from follow's four lanes, for two channels at once: F of
        // the left in lane 0, of the right in lane 1. The maximum of a set of (never NaN) values does not
        // depend on the order it is taken in.
        [[gnu::always_inline]] static simd::Pair followerPeaks(const Lanes& left, const Lanes& right) {
            const Lanes low = __builtin_shufflevector(left, right, 0, 1, 4, 5);   // left 0 1, right 0 1
            const Lanes high = __builtin_shufflevector(left, right, 2, 3, 6, 7);  // left 2 3, right 2 3
            const Lanes m = low > high ? low : high;
            const simd::Pair even = __builtin_shufflevector(m, m, 0, 2);
            const simd::Pair odd = __builtin_shufflevector(m, m, 1, 3);
            const simd::Pair peak = even > odd ? even : odd;
            return simd::atLeastOne(peak);
        }

        // The same for one channel alone.
        [[gnu::always_inline]] static double followerPeak(const Lanes& larger) {
            const simd::Pair low = __builtin_shufflevector(larger, larger, 0, 1);
            const simd::Pair high = __builtin_shufflevector(larger, larger, 2, 3);
            const simd::Pair m = low > high ? low : high;
            const simd::Pair other = __builtin_shufflevector(m, m, 1, 0);
            return simd::atLeastOne(m > other ? m : other)[0];
        }

        Lanes attackLo_, attackHi_, releaseLo_, releaseHi_;
        Lanes8 left_, right_;
    };

    alignas(32) std::array<double, kFollowers> first_{};   // first smoothing stage
    alignas(32) std::array<double, kFollowers> second_{};  // second stage ("II"), else a copy of the first
};

}  // namespace zarpa::dsp
