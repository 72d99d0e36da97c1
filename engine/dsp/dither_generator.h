// The three-state shift-register generator behind the dither and the calibration noise.
#pragma once

#include <cstdint>

namespace zarpa::dsp {

// Audio thread only. Fixed seeds: the sequence repeats identically after every reset.
class DitherGenerator {
public:
    void reset() {
        s1_ = 592;
        s2_ = 153768;
        s3_ = 1526;
    }

    // A uniform value in [-1, +1). Always inline: the requantizer draws four a sample, and its loop
    // keeps the registers in registers only when they never cross a call.
    [[gnu::always_inline]] double next() {
        s1_ = (s1_ << 13) ^ (((s1_ ^ (s1_ >> 9)) >> 6) & 0x1FFFu);
        s2_ = (s2_ << 20) ^ (((s2_ ^ (s2_ >> 2)) >> 7) & 0xFFFFFu);
        s3_ = (s3_ << 17) ^ (((s3_ ^ (s3_ >> 6)) >> 8) & 0x1FFFFu);
        return static_cast<double>(s1_ ^ s2_ ^ s3_) * 2.3283064365e-10 * 2.0 - 1.0;
    }

private:
    std::uint32_t s1_ = 592;
    std::uint32_t s2_ = 153768;
    std::uint32_t s3_ = 1526;
};

}  // namespace zarpa::dsp
