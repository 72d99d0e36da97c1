// The half-sample interpolator: a 64-tap windowed sinc over the newest 64 samples of each channel,
// giving the value midway between the samples 32 and 31 steps back. It also serves as the 31-sample
// delay, since it keeps the sample 31 steps back. Used by the peak detector and the output meters.
#pragma once

#include <array>

#include "engine/dsp/rate_config.h"
#include "engine/dsp/simd.h"

namespace zarpa::dsp {

// The half-sample points of one channel: out[i] is the value midway between x[i+31] and x[i+32], for
// i = 0..n-1. x must be readable up to index n + 63 + HalfSampleInterpolator::kGroup - 1 (the last group
// of sums may run past n; those are discarded).
void halfSampleSums(const double* x, int n, double* out);

// Audio thread only.
class HalfSampleInterpolator {
public:
    static constexpr int kLength = 64;
    static constexpr int kCentre = 31;     // the delay of centre(): the half-sample point lies just before it
    static constexpr int kMaxChunk = kChunkFrames;  // samples per process() call
    static constexpr int kGroup = 32;      // samples summed side by side

    void reset();

    // Appends n (1..kMaxChunk) samples per channel. For each, writes the sample 31 steps before it to
    // centre and, when half is not null, the value midway between that sample and the one before it.
    void process(const double* inL, const double* inR, int n, double* centreL, double* centreR, double* halfL,
                 double* halfR);

    // The same sums for loops that run other work beside them (a latency-bound recurrence leaves the
    // adders idle): write a chunk's samples to appendedL() and appendedR(), sum the half-sample points
    // simd::kWideLanes at a time with addTaps() in slices of kTapSlice taps (so the other work can step
    // between slices), read centre(), then advance() past the chunk.
    double* appendedL() { return left_.data() + kHistory; }
    double* appendedR() { return right_.data() + kHistory; }
    static constexpr int kTapSlice = kLength / 2 / simd::kWideLanes;  // a slice per sample of a group
    // Adds taps kFirst..kFirst+kTapSlice-1 of the half-sample points before the chunk's samples
    // i..i+kWideLanes-1
    // of centre() to sumL and sumR, which start at zero (past the chunk: discarded values).
    template <int kFirst>
    [[gnu::always_inline]] void addTaps(int i, simd::Wide& sumL, simd::Wide& sumR) const;
    // The samples 31 steps before the appended chunk's samples.
    const double* centreL() const { return left_.data() + kHistory - kCentre; }
    const double* centreR() const { return right_.data() + kHistory - kCentre; }
    void advance(int n);

    // Half of each symmetric tap pair's weight, outermost pair first; the filter uses twice each value,
    // and the 64 taps then sum to 0.99999973.
    static constexpr double kHalfTaps[32] = {
        -4.763696282094e-07, 1.998243211857e-06,  -5.59451993319e-06,  1.233950728987e-05,
        -2.390300486257e-05, 4.265195384663e-05,  -7.176381980318e-05, 0.0001153490356228,
        -0.000178579162669,  0.0002678174647425,  -0.0003907495989578, 0.0005565144132189,
        -0.000775838777941,  0.001061186491039,   -0.001426940379682,  0.001889650102735,
        -0.002468398132052,  0.003185367085931,   -0.004066740630815,  0.005144152078855,
        -0.00645703822168,   0.008056519728669,   -0.01001194089823,   0.012422252953,
        -0.01543673753879,   0.01929508222185,    -0.02441136236933,   0.03157011681841,
        -0.04245854577816,   0.06147574255944,    -0.1047780783523,    0.3178658799033,
    };

private:
    static constexpr int kHistory = kLength - 1;

    // Per channel: the 63 previous samples, then the chunk being processed, then room for the last
    // group of sums to read past the chunk (those sums are discarded).
    std::array<double, kHistory + kMaxChunk + kGroup> left_{};
    std::array<double, kHistory + kMaxChunk + kGroup> right_{};
};

// Σ 2·h_k·(x[i+63-k] + x[i+k]) over the slice, k ascending, per lane: taken over all slices in order,
// the same sums as process().
template <int kFirst>
[[gnu::always_inline]] inline void HalfSampleInterpolator::addTaps(int i, simd::Wide& sumL,
                                                                   simd::Wide& sumR) const {
    using simd::Wide;
#pragma GCC unroll 16
    for (int k = kFirst; k < kFirst + kTapSlice; ++k) {
        const Wide c = Wide{} + 2.0 * kHalfTaps[k];
        Wide a, b;
        simd::load(a, left_.data() + i + 63 - k);
        simd::load(b, left_.data() + i + k);
        sumL += c * (a + b);
        simd::load(a, right_.data() + i + 63 - k);
        simd::load(b, right_.data() + i + k);
        sumR += c * (a + b);
    }
}

}  // namespace zarpa::dsp
