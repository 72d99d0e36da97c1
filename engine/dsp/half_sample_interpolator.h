// The half-sample interpolator: a 64-tap windowed sinc over the newest 64 stereo samples, giving the
// value midway between the samples 32 and 31 steps back (used by the peak detector and the output meter).
#pragma once

#include <array>

#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// Audio thread only.
class HalfSampleInterpolator {
public:
    static constexpr int kLength = 64;
    static constexpr int kCentre = 31;  // the sample the half-sample point lies just before

    void reset();

    // Stores x as the newest sample.
    void push(Stereo x) {
        position_ = (position_ + 1) & (kLength - 1);
        ring_[static_cast<std::size_t>(position_)] = x;
        ring_[static_cast<std::size_t>(position_ + kLength)] = x;
    }

    // The value midway between the samples 32 and 31 steps before the newest.
    Stereo halfSample() const;

    // The sample 31 steps before the newest.
    Stereo centre() const { return ring_[static_cast<std::size_t>(position_ + kLength - kCentre)]; }

private:
    // Each sample is stored twice, at p and p + 64, so the newest 64 are contiguous: ring_[p+1 .. p+64].
    std::array<Stereo, 2 * kLength> ring_{};
    int position_ = 0;
};

}  // namespace zarpa::dsp
