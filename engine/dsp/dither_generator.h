// The three-state shift-register generator behind the dither and the calibration noise.
#pragma once

#include <cstdint>

#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// Audio thread only. Fixed seeds: the sequence repeats identically after every reset.
class DitherGenerator {
public:
    void reset() {
        s1_ = 592;
        s2_ = 153768;
        s3_ = 1526;
    }

    // A uniform value in [-1, +1). Always inline: the calibration noise draws several a sample, and its
    // loop keeps the registers in registers only when they never cross a call.
    [[gnu::always_inline]] double next() {
        stepFirst(s1_);
        stepSecond(s2_);
        stepThird(s3_);
        double u = s1_ ^ s2_ ^ s3_;
        makeDraw(u);
        return u;
    }

    // One sample's triangular dither, one step peak: (u1 + u2)/2 for the left channel, (u3 + u4)/2 for
    // the right, from four draws in that order.
    [[gnu::always_inline]] Stereo triangular() {
        const double u1 = next();
        const double u2 = next();
        const double u3 = next();
        const double u4 = next();
        return {(u1 + u2) / 2.0, (u3 + u4) / 2.0};
    }

    // The triangular dither of n (1..kChunkFrames) samples at once, the same values as n calls of
    // triangular() and the generator left as they leave it.
    void triangularChunk(int n, Stereo* dither);

    // The register steps, each a linear map on the bits (shifts, masks and exclusive or), written once for
    // a word and for a vector of words (by reference: vectors never meet the calling convention).
    template <typename W>
    static constexpr void stepFirst(W& s) {
        s = (s << 13) ^ (((s ^ (s >> 9)) >> 6) & 0x1FFFu);
    }
    template <typename W>
    static constexpr void stepSecond(W& s) {
        s = (s << 20) ^ (((s ^ (s >> 2)) >> 7) & 0xFFFFFu);
    }
    template <typename W>
    static constexpr void stepThird(W& s) {
        s = (s << 17) ^ (((s ^ (s >> 6)) >> 8) & 0x1FFFFu);
    }

    // u: the three registers' exclusive or, taken as an unsigned number; onto [-1, +1) as u·c·2 - 1 with
    // c = 2.3283064365e-10. Doubling commutes with the rounding of u·c (no value here is near the ends of
    // the range), so u·(2c) gives the same bits with one multiplication less.
    template <typename D>
    static constexpr void makeDraw(D& u) {
        u = u * (2.3283064365e-10 * 2.0) - 1.0;
    }

private:

    std::uint32_t s1_ = 592;
    std::uint32_t s2_ = 153768;
    std::uint32_t s3_ = 1526;
};

}  // namespace zarpa::dsp
