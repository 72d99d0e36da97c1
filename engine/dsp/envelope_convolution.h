// Convolution of the transient window maxima with the N-tap bell kernel, for both channels, as
// e[n] = Σ_{j=0}^{N-1} κ[j]·w[n-N+1-j]. Two interchangeable engines: direct sums (cheaper for short
// windows) and FFT overlap-add with block length N and transform length 2N.
#pragma once

#include <array>

#include "engine/dsp/complex_fft.h"
#include "engine/dsp/rate_config.h"
#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// κ[i] = sinc main lobe at θ_i = -π + i·2π/(N-1), normalised to sum 1. n in 2..256.
void buildTransientKernel(int n, double* kernel);

// Audio thread only; configure and reset run under the instance lock.
class DirectConvolution {
public:
    static constexpr int kMaxChunk = kChunkFrames;
    static constexpr int kGroup = 32;  // sums computed side by side

    void configure(const double* kernel, int n);
    void reset();
    // n (1..kMaxChunk) new values per channel in, n convolved values out. With onlyAboveOne, a channel's
    // values are given as exactly 1 where each of them is certain to be below 1 (every value a sum
    // reads below kCertainlyBelowOne; the kernel is non-negative and sums to 1, and the rounding of a
    // few hundred terms is far smaller than the margin): for a reader that cannot tell values up to 1
    // apart, the sums are then not computed.
    static constexpr double kCertainlyBelowOne = 0.999;
    void process(const double* wL, const double* wR, int n, double* eL, double* eR, bool onlyAboveOne = false);

private:
    static constexpr int kHistory = 2 * kMaxWindow - 2;  // the oldest value a sum reads is 2N-2 back

    std::array<double, kMaxWindow> kernel_{};
    // Per channel: the previous 2N-2 values, the chunk, and room for the last group to read past it.
    std::array<double, kHistory + kMaxChunk + kGroup> left_{}, right_{};
    int n_ = 1;
};

// Audio thread only; configure and reset run under the instance lock.
class FftConvolution {
public:
    void configure(const double* kernel, int n);
    void reset();
    Stereo push(Stereo w);

private:
    static constexpr int kMaxTransform = 2 * kMaxWindow;

    void convolveBlock();

    ComplexFft fft_;
    // Left channel in the real parts, right channel in the imaginary parts: the kernel is real, so one
    // complex convolution carries both channels without mixing them.
    std::array<double, kMaxTransform> blockRe_{}, blockIm_{};        // inputs of the current block
    std::array<double, kMaxTransform> resultRe_{}, resultIm_{};      // convolved block, 2N values
    std::array<double, kMaxWindow> overlapRe_{}, overlapIm_{};       // tail of the previous block
    std::array<double, kMaxTransform> spectrumRe_{}, spectrumIm_{};  // kernel transform / 2N
    int n_ = 1;
    int fill_ = 0;
    int output_ = 0;
};

}  // namespace zarpa::dsp
