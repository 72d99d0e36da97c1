// The followers' coefficient rules and their chunk step, four followers to a vector value.
#include "engine/dsp/release_followers.h"

#include <cstring>

#include "engine/dsp/one_pole.h"
#include "engine/dsp/simd.h"

namespace zarpa::dsp {

void FollowerCoefficients::setAttack(double fs) {
    for (int k = 0; k < kFollowers; ++k) attack[k] = onePoleCoefficient(32.0 - k * 4.428571428571429, fs);
}

void FollowerCoefficients::setRelease(double releaseMs, double fs) {
    const double r = releaseMs;
    for (int k = 0; k < kFollowers; ++k) release[k] = onePoleCoefficient(r - (k * (r - 2.0)) / 7.0, fs);
}

namespace {

// Four followers as one vector value; each lane is computed exactly as the scalar formula.
typedef double Lanes __attribute__((vector_size(32)));
typedef long long LaneMask __attribute__((vector_size(32)));  // a > b gives all ones where it holds

// y + (x - y)·k with k the attack coefficient in the lanes where `rising` is set, else the release one.
#define ZARPA_APPROACH(y, x, rising, attack, release) \
    ((y) + ((x) - (y)) * reinterpret_cast<Lanes>(((attack) & (rising)) | ((release) & ~(rising))))

// Everything stays in this one function (vector values never cross a call), four followers a lane group.
ZARPA_VECTOR_CLONES
void follow(double* firstState, double* secondState, const double* d, int n, const double* attack,
            const double* release, bool twoStages, double* peak) {
    LaneMask attackLo, attackHi, releaseLo, releaseHi;
    Lanes firstLo, firstHi, secondLo, secondHi;
    std::memcpy(&attackLo, attack, 32);
    std::memcpy(&attackHi, attack + 4, 32);
    std::memcpy(&releaseLo, release, 32);
    std::memcpy(&releaseHi, release + 4, 32);
    std::memcpy(&firstLo, firstState, 32);
    std::memcpy(&firstHi, firstState + 4, 32);
    std::memcpy(&secondLo, secondState, 32);
    std::memcpy(&secondHi, secondState + 4, 32);
    for (int i = 0; i < n; ++i) {
        const Lanes target = Lanes{} + d[i];  // d in every lane
        const LaneMask risingLo = target >= firstLo, risingHi = target >= firstHi;
        firstLo = ZARPA_APPROACH(firstLo, target, risingLo, attackLo, releaseLo);
        firstHi = ZARPA_APPROACH(firstHi, target, risingHi, attackHi, releaseHi);
        if (twoStages) {
            const LaneMask aboveLo = firstLo > secondLo, aboveHi = firstHi > secondHi;
            secondLo = ZARPA_APPROACH(secondLo, firstLo, aboveLo, attackLo, releaseLo);
            secondHi = ZARPA_APPROACH(secondHi, firstHi, aboveHi, attackHi, releaseHi);
        } else {
            secondLo = firstLo;
            secondHi = firstHi;
        }
        const Lanes m = secondLo > secondHi ? secondLo : secondHi;
        const double a = m[0] > m[1] ? m[0] : m[1];
        const double b = m[2] > m[3] ? m[2] : m[3];
        const double f = a > b ? a : b;
        peak[i] = f > 1.0 ? f : 1.0;
    }
    std::memcpy(firstState, &firstLo, 32);
    std::memcpy(firstState + 4, &firstHi, 32);
    std::memcpy(secondState, &secondLo, 32);
    std::memcpy(secondState + 4, &secondHi, 32);
}

#undef ZARPA_APPROACH

}  // namespace

void ReleaseFollowers::process(const double* d, int n, const FollowerCoefficients& c, bool twoStages, double* peak) {
    follow(first_.data(), second_.data(), d, n, c.attack.data(), c.release.data(), twoStages, peak);
}

}  // namespace zarpa::dsp
