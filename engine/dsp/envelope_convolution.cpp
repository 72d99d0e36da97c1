// The transient kernel and the two convolution engines.
#include "engine/dsp/envelope_convolution.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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

void DirectConvolution::configure(const double* kernel, int n) {
    n_ = std::clamp(n, 1, kMaxWindow);
    std::copy(kernel, kernel + n_, kernel_.begin());
    reset();
}

void DirectConvolution::reset() {
    history_.fill(Stereo{});
    position_ = 0;
}

Stereo DirectConvolution::push(Stereo w) {
    const int span = 2 * n_;
    position_ = position_ + 1 == span ? 0 : position_ + 1;
    history_[static_cast<std::size_t>(position_)] = w;
    history_[static_cast<std::size_t>(position_ + span)] = w;
    // w[n-N+1-j] for j = 0..N-1.
    const Stereo* w0 = &history_[static_cast<std::size_t>(position_ + span - (n_ - 1))];
    double l = 0.0;
    double r = 0.0;
    for (int j = 0; j < n_; ++j) {
        l += kernel_[static_cast<std::size_t>(j)] * w0[-j].l;
        r += kernel_[static_cast<std::size_t>(j)] * w0[-j].r;
    }
    return {l, r};
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
