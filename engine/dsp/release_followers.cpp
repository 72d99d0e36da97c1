// The followers' coefficient rules and their chunk step, four followers to a vector value.
#include "engine/dsp/release_followers.h"

#include "engine/dsp/one_pole.h"
#include "engine/dsp/simd.h"

namespace zarpa::dsp {

namespace {
// The spacing is applied as one rounded constant, each time as t_k = 32 - k·spacing.
constexpr double kAttackSpacingMs =
    (FollowerCoefficients::kSlowestAttackMs - FollowerCoefficients::kFastestAttackMs) / (kFollowers - 1);
}  // namespace

void FollowerCoefficients::setAttack(double fs) {
    for (int k = 0; k < kFollowers; ++k) attack[k] = onePoleCoefficient(kSlowestAttackMs - k * kAttackSpacingMs, fs);
}

void FollowerCoefficients::setRelease(double releaseMs, double fs) {
    const double r = releaseMs;
    constexpr int steps = kFollowers - 1;
    for (int k = 0; k < kFollowers; ++k)
        release[k] = onePoleCoefficient(r - (k * (r - kFastestReleaseMs)) / steps, fs);
}

namespace {

using simd::Lanes;

// The eight followers of one channel as two vectors of four; each lane is computed exactly as the
// scalar formula. Lives in registers for a whole chunk.
struct FollowerLanes {
    Lanes firstLo, firstHi, secondLo, secondHi;
};

// y + (x - y)·k with k the attack coefficient where x is above y, the release one where it is below.
// The written rules choose by x >= y (first stage) and x > y (second); they differ only where x == y,
// and there the step is y + 0·k = y whichever k. Elsewhere the sign of x - y tells the same, so the
// choice is read from it, after one subtraction instead of a comparison beside it: the recurrence
// then waits for one operation less per sample.
[[gnu::always_inline]] inline void approach(Lanes& y, const Lanes& x, const Lanes& attack, const Lanes& release) {
    const Lanes difference = x - y;
    Lanes k;
    simd::selectBySign(difference, attack, release, k);
    y = y + difference * k;
}

// One sample d through both stages; larger: the larger of each lane pair of the two vectors.
[[gnu::always_inline]] inline void followStep(FollowerLanes& f, double d, const Lanes& attackLo,
                                              const Lanes& attackHi, const Lanes& releaseLo, const Lanes& releaseHi,
                                              bool twoStages, Lanes& larger) {
    const Lanes target = {d, d, d, d};
    approach(f.firstLo, target, attackLo, releaseLo);
    approach(f.firstHi, target, attackHi, releaseHi);
    if (twoStages) {
        approach(f.secondLo, f.firstLo, attackLo, releaseLo);
        approach(f.secondHi, f.firstHi, attackHi, releaseHi);
    } else {
        f.secondLo = f.firstLo;
        f.secondHi = f.firstHi;
    }
    larger = f.secondLo > f.secondHi ? f.secondLo : f.secondHi;
}

// F = max(1, every follower's output) from followStep's four lanes, for two channels at once: F of the
// left in lane 0, of the right in lane 1. The maximum of a set of (never NaN) values does not depend on
// the order it is taken in.
[[gnu::always_inline]] inline simd::Pair followerPeaks(const Lanes& left, const Lanes& right) {
    const Lanes low = __builtin_shufflevector(left, right, 0, 1, 4, 5);   // left 0 1, right 0 1
    const Lanes high = __builtin_shufflevector(left, right, 2, 3, 6, 7);  // left 2 3, right 2 3
    const Lanes m = low > high ? low : high;
    const simd::Pair even = __builtin_shufflevector(m, m, 0, 2);
    const simd::Pair odd = __builtin_shufflevector(m, m, 1, 3);
    const simd::Pair peak = even > odd ? even : odd;
    const simd::Pair one = {1.0, 1.0};
    return peak > one ? peak : one;
}

void loadLanes(FollowerLanes& f, const double* first, const double* second) {
    simd::load(f.firstLo, first);
    simd::load(f.firstHi, first + 4);
    simd::load(f.secondLo, second);
    simd::load(f.secondHi, second + 4);
}

void storeLanes(const FollowerLanes& f, double* first, double* second) {
    simd::store(first, f.firstLo);
    simd::store(first + 4, f.firstHi);
    simd::store(second, f.secondLo);
    simd::store(second + 4, f.secondHi);
}

// Both channels in one pass, so that their independent updates overlap. Everything stays in this one
// function (vector values never cross a call).
void follow(double* firstL, double* secondL, double* firstR, double* secondR, const double* dL, const double* dR,
            int n, const double* attack, const double* release, bool twoStages, double* peakL, double* peakR) {
    Lanes attackLo, attackHi, releaseLo, releaseHi;
    simd::load(attackLo, attack);
    simd::load(attackHi, attack + 4);
    simd::load(releaseLo, release);
    simd::load(releaseHi, release + 4);
    FollowerLanes left, right;
    loadLanes(left, firstL, secondL);
    loadLanes(right, firstR, secondR);
    for (int i = 0; i < n; ++i) {
        Lanes l, r;
        followStep(left, dL[i], attackLo, attackHi, releaseLo, releaseHi, twoStages, l);
        followStep(right, dR[i], attackLo, attackHi, releaseLo, releaseHi, twoStages, r);
        const simd::Pair peak = followerPeaks(l, r);
        peakL[i] = peak[0];
        peakR[i] = peak[1];
    }
    storeLanes(right, firstR, secondR);
    storeLanes(left, firstL, secondL);
}

}  // namespace

void ReleaseFollowers::processPair(ReleaseFollowers& left, ReleaseFollowers& right, const double* dL,
                                   const double* dR, int n, const FollowerCoefficients& c, bool twoStages,
                                   double* peakL, double* peakR) {
    follow(left.first_.data(), left.second_.data(), right.first_.data(), right.second_.data(), dL, dR, n,
           c.attack.data(), c.release.data(), twoStages, peakL, peakR);
}

}  // namespace zarpa::dsp
