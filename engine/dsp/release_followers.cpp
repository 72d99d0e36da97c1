// The followers' coefficient rules.
#include "engine/dsp/release_followers.h"

#include "engine/dsp/one_pole.h"

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

}  // namespace zarpa::dsp
