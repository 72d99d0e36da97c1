// The transient envelope: the maximum of the detector values over N samples, convolved with the bell
// kernel and delayed by M = L - 2N + 2 so that it is centred on the output sample.
#pragma once

#include <array>

#include "engine/dsp/envelope_convolution.h"
#include "engine/dsp/short_window_max.h"
#include "engine/dsp/sliding_max.h"
#include "engine/dsp/stereo_delay.h"

namespace zarpa::dsp {

// Audio thread only; configure and reset run under the instance lock.
class TransientEnvelope {
public:
    // Windows up to this length use direct sums, longer ones the FFT.
    static constexpr int kLongestDirectWindow = 128;
    // Windows up to this length take their maximum with ShortWindowMax, longer ones with StereoSlidingMax.
    static constexpr int kLongestShortWindow = 16;

    TransientEnvelope();

    // window N (8..256), envelopeDelay M; rebuilds the kernel, then resets.
    void configure(int window, int envelopeDelay);
    void reset();

    // n (1..kChunkFrames) detector values per channel in; the envelope P at each output instant out.
    // With onlyAboveOne, values certain to be below 1 may be given as exactly 1 (for the gain
    // computer, which takes max(P, 1) and max(P, F) with F >= 1: it cannot tell them apart).
    void process(const double* cL, const double* cR, int n, double* pL, double* pR, bool onlyAboveOne = false);

private:
    StereoSlidingMax window_;
    ShortWindowMax shortWindowL_, shortWindowR_;
    DirectConvolution direct_;
    FftConvolution fft_;
    StereoDelay delay_;
    std::array<double, DirectConvolution::kMaxChunk> windowMaxL_{}, windowMaxR_{};  // w
    std::array<Stereo, DirectConvolution::kMaxChunk> pairs_{};                     // c, then w, of both
    std::array<double, kMaxWindow> kernel_{};
    bool useFft_ = false;
    bool useShortWindow_ = true;
};

}  // namespace zarpa::dsp
