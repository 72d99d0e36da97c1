// The transient kernel and the two convolution engines.
#include "engine/dsp/envelope_convolution.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/dsp/simd.h"

namespace zarpa::dsp {

void buildTransientKernel(int n, double* kernel) {
    constexpr double pi = std::numbers::pi;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double theta = -pi + (i * 2.0 * pi) / (n - 1);
        kernel[i] = theta == 0.0 ? 1.0 : std::sin(theta) / theta;
        sum += kernel[i];
    }
    for (int i = 0; i < n; ++i) kernel[i] /= sum;
}

// ---- direct ----

namespace {

// e[i] = Σ_{j=0}^{N-1} κ[j]·w[i-N+1-j], w pointing at the chunk's first value; a group of consecutive
// sums is kept side by side in vector registers, each in its sequential order. w must be readable up
// to index n + kGroup - 1 (the last group may run past n; those sums are discarded).
void convolve(const double* kernel, int taps, const double* w, int n, double* e) {
    using simd::Wide;
    constexpr int kVectors = simd::kWideSums;
    constexpr int kGroup = kVectors * simd::kWideLanes;
    static_assert(kGroup <= DirectConvolution::kGroup);  // the room to read past the chunk
    for (int start = 0; start < n; start += kGroup) {
        Wide sum[kVectors] = {};
        for (int j = 0; j < taps; ++j) {
            const Wide k = Wide{} + kernel[j];
            const double* x = w + start - (taps - 1) - j;
            for (int v = 0; v < kVectors; ++v) {
                Wide a;
                simd::load(a, x + v * simd::kWideLanes);
                sum[v] += k * a;
            }
        }
        double group[kGroup];
        for (int v = 0; v < kVectors; ++v) simd::store(group + v * simd::kWideLanes, sum[v]);
        const int count = n - start < kGroup ? n - start : kGroup;
        for (int i = 0; i < count; ++i) e[start + i] = group[i];
    }
}

}  // namespace

void DirectConvolution::configure(const double* kernel, int n) {
    n_ = std::clamp(n, 1, kMaxWindow);
    std::copy(kernel, kernel + n_, kernel_.begin());
    reset();
}

void DirectConvolution::reset() {
    left_.fill(0.0);
    right_.fill(0.0);
}

namespace {

// True when the n values are all below limit (a vector at a time).
bool allBelow(const double* x, int n, double limit) {
    using simd::Lanes;
    const Lanes bound = Lanes{} + limit;
    simd::LaneMask above = {};
    int i = 0;
    for (; i + simd::kLanes <= n; i += simd::kLanes) {
        Lanes v;
        simd::load(v, x + i);
        above |= ~(v < bound);
    }
    bool below = !simd::any(above);
    for (; i < n; ++i) below &= x[i] < limit;
    return below;
}

}  // namespace

void DirectConvolution::process(const double* wL, const double* wR, int n, double* eL, double* eR,
                                bool onlyAboveOne) {
    std::copy(wL, wL + n, left_.begin() + kHistory);
    std::copy(wR, wR + n, right_.begin() + kHistory);
    // The sums of this chunk read the newest 2N-2 values before it and the chunk.
    const int reach = 2 * n_ - 2 + n;
    const auto channel = [&](const double* w, double* e) {
        if (onlyAboveOne && allBelow(w - (2 * n_ - 2), reach, kCertainlyBelowOne))
            std::fill(e, e + n, 1.0);
        else
            convolve(kernel_.data(), n_, w, n, e);
    };
    channel(left_.data() + kHistory, eL);
    channel(right_.data() + kHistory, eR);
    // Keep the newest 2N-2 values in front of the next chunk.
    const int keep = 2 * n_ - 2;
    std::copy(left_.begin() + kHistory + n - keep, left_.begin() + kHistory + n, left_.begin() + kHistory - keep);
    std::copy(right_.begin() + kHistory + n - keep, right_.begin() + kHistory + n, right_.begin() + kHistory - keep);
}

// ---- FFT overlap-add ----

void FftConvolution::configure(const double* kernel, int n) {
    n_ = std::clamp(n, 1, kMaxWindow);
    const int size = 2 * n_;
    fft_.setSize(size);
    std::fill(spectrumRe_.begin(), spectrumRe_.end(), 0.0);
    std::fill(spectrumIm_.begin(), spectrumIm_.end(), 0.0);
    std::copy(kernel, kernel + n_, spectrumRe_.begin());
    fft_.forward(spectrumRe_.data(), spectrumIm_.data());
    // The inverse transform is unnormalised: the kernel spectrum carries the 1/2N.
    for (int k = 0; k < size; ++k) {
        spectrumRe_[static_cast<std::size_t>(k)] /= size;
        spectrumIm_[static_cast<std::size_t>(k)] /= size;
    }
    reset();
}

void FftConvolution::reset() {
    blockRe_.fill(0.0);
    blockIm_.fill(0.0);
    resultRe_.fill(0.0);
    resultIm_.fill(0.0);
    overlapRe_.fill(0.0);
    overlapIm_.fill(0.0);
    fill_ = 0;
    output_ = 0;
}

void FftConvolution::convolveBlock() {
    const int size = 2 * n_;
    std::copy(blockRe_.begin(), blockRe_.begin() + n_, resultRe_.begin());
    std::copy(blockIm_.begin(), blockIm_.begin() + n_, resultIm_.begin());
    std::fill(resultRe_.begin() + n_, resultRe_.begin() + size, 0.0);
    std::fill(resultIm_.begin() + n_, resultIm_.begin() + size, 0.0);
    fft_.forward(resultRe_.data(), resultIm_.data());
    for (int k = 0; k < size; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        const double re = resultRe_[i] * spectrumRe_[i] - resultIm_[i] * spectrumIm_[i];
        const double im = resultRe_[i] * spectrumIm_[i] + resultIm_[i] * spectrumRe_[i];
        resultRe_[i] = re;
        resultIm_[i] = im;
    }
    fft_.inverse(resultRe_.data(), resultIm_.data());
}

Stereo FftConvolution::push(Stereo w) {
    blockRe_[static_cast<std::size_t>(fill_)] = w.l;
    blockIm_[static_cast<std::size_t>(fill_)] = w.r;
    if (++fill_ == n_) {
        convolveBlock();
        fill_ = 0;
        output_ = 0;
    }
    const std::size_t k = static_cast<std::size_t>(output_);
    const Stereo e{resultRe_[k] + overlapRe_[k], resultIm_[k] + overlapIm_[k]};
    overlapRe_[k] = resultRe_[k + static_cast<std::size_t>(n_)];
    overlapIm_[k] = resultIm_[k + static_cast<std::size_t>(n_)];
    ++output_;
    return e;
}

}  // namespace zarpa::dsp
