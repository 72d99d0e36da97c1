// The transient envelope: the maximum of the detector values over N samples, convolved with the bell
// kernel and delayed by M = L - 2N + 2 so that it is centred on the output sample.
#pragma once

#include <array>

#include "engine/dsp/envelope_convolution.h"
#include "engine/dsp/sliding_max.h"
#include "engine/dsp/stereo_delay.h"

namespace zarpa::dsp {

// Audio thread only; configure and reset run under the instance lock.
class TransientEnvelope {
public:
    // Windows up to this length use direct sums, longer ones the FFT.
    static constexpr int kLongestDirectWindow = 32;

    TransientEnvelope();

    // window N (8..256), envelopeDelay M; rebuilds the kernel, then resets.
    void configure(int window, int envelopeDelay);
    void reset();

    // c: the detector values of this sample. Returns the envelope P at the output instant.
    Stereo step(Stereo c) {
        const Stereo w{windowL_.push(c.l), windowR_.push(c.r)};
        const Stereo e = useFft_ ? fft_.push(w) : direct_.push(w);
        return delay_.exchange(e);
    }

private:
    SlidingMax windowL_;
    SlidingMax windowR_;
    DirectConvolution direct_;
    FftConvolution fft_;
    StereoDelay delay_;
    std::array<double, kMaxWindow> kernel_{};
    bool useFft_ = false;
};

}  // namespace zarpa::dsp
