// The half-sample interpolator: a 64-tap windowed sinc over the newest 64 samples of each channel,
// giving the value midway between the samples 32 and 31 steps back. It also serves as the 31-sample
// delay, since it keeps the sample 31 steps back. Used by the peak detector and the output meters.
#pragma once

#include <array>

#include "engine/dsp/rate_config.h"

namespace zarpa::dsp {

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

private:
    static constexpr int kHistory = kLength - 1;

    // Per channel: the 63 previous samples, then the chunk being processed, then room for the last
    // group of sums to read past the chunk (those sums are discarded).
    std::array<double, kHistory + kMaxChunk + kGroup> left_{};
    std::array<double, kHistory + kMaxChunk + kGroup> right_{};
};

}  // namespace zarpa::dsp
