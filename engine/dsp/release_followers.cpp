// The followers' attack and release coefficient rules.
#include "engine/dsp/release_followers.h"

#include "engine/dsp/one_pole.h"

namespace zarpa::dsp {

void FollowerCoefficients::setAttack(double fs) {
    for (int k = 0; k < kFollowers; ++k)
        attack[k] = onePoleCoefficient(32.0 - k * 4.428571428571429, fs);
}

void FollowerCoefficients::setRelease(double releaseMs, double fs) {
    const double r = releaseMs;
    for (int k = 0; k < kFollowers; ++k)
        release[k] = onePoleCoefficient(r - (k * (r - 2.0)) / 7.0, fs);
}

}  // namespace zarpa::dsp
