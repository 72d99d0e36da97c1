// The interpolator's coefficient table and its 64-tap sum, computed for a whole chunk at once.
#include "engine/dsp/half_sample_interpolator.h"

#include <algorithm>

#include "engine/dsp/simd.h"

namespace zarpa::dsp {

// s[i] = Σ_{k=0}^{31} 2·h_k·(x[i+63-k] + x[i+k]) for the newest sample x[i+63], k ascending in every
// lane: a group of consecutive samples is summed side by side in vector registers, so each sum keeps
// its sequential order.
void halfSampleSums(const double* x, int n, double* out) {
    using simd::Wide;
    constexpr int kVectors = simd::kWideSums;
    constexpr int kGroup = kVectors * simd::kWideLanes;
    static_assert(kGroup <= HalfSampleInterpolator::kGroup);  // the room to read past the chunk
    for (int start = 0; start < n; start += kGroup) {
        Wide sum[kVectors] = {};
        for (int k = 0; k < 32; ++k) {
            const Wide c = Wide{} + 2.0 * HalfSampleInterpolator::kHalfTaps[k];
            const double* newer = x + start + 63 - k;
            const double* older = x + start + k;
            for (int v = 0; v < kVectors; ++v) {
                Wide a, b;
                simd::load(a, newer + v * simd::kWideLanes);
                simd::load(b, older + v * simd::kWideLanes);
                sum[v] += c * (a + b);
            }
        }
        double group[kGroup];
        for (int v = 0; v < kVectors; ++v) simd::store(group + v * simd::kWideLanes, sum[v]);
        const int count = n - start < kGroup ? n - start : kGroup;
        for (int i = 0; i < count; ++i) out[start + i] = group[i];
    }
}

void HalfSampleInterpolator::reset() {
    left_.fill(0.0);
    right_.fill(0.0);
}

void HalfSampleInterpolator::advance(int n) {
    simd::copyForward(left_.data(), left_.data() + n, kHistory);
    simd::copyForward(right_.data(), right_.data() + n, kHistory);
}

void HalfSampleInterpolator::process(const double* inL, const double* inR, int n, double* centreL,
                                     double* centreR, double* halfL, double* halfR) {
    simd::copyForward(left_.data() + kHistory, inL, n);
    simd::copyForward(right_.data() + kHistory, inR, n);
    if (halfL) {
        halfSampleSums(left_.data(), n, halfL);
        halfSampleSums(right_.data(), n, halfR);
    }
    const int centre = kHistory - kCentre;  // index of the sample 31 steps before the chunk's first
    simd::copyForward(centreL, left_.data() + centre, n);
    simd::copyForward(centreR, right_.data() + centre, n);
    advance(n);
}

}  // namespace zarpa::dsp
