// The FFT's twiddle table, bit reversal and butterflies.
#include "engine/dsp/complex_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace zarpa::dsp {

ComplexFft::ComplexFft() {
    for (int k = 0; k < kMaxSize / 2; ++k) {
        const double phase = 2.0 * std::numbers::pi * k / kMaxSize;
        cos_[static_cast<std::size_t>(k)] = std::cos(phase);
        sin_[static_cast<std::size_t>(k)] = std::sin(phase);
    }
    setSize(kMaxSize);
}

void ComplexFft::setSize(int n) {
    size_ = n;
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    for (int i = 0; i < n; ++i) {
        int reversed = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b)) reversed |= 1 << (bits - 1 - b);
        bitReversed_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(reversed);
    }
}

void ComplexFft::transform(double* re, double* im, double sign) const {
    const int n = size_;
    for (int i = 0; i < n; ++i) {
        const int j = bitReversed_[static_cast<std::size_t>(i)];
        if (j > i) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    for (int length = 2; length <= n; length <<= 1) {
        const int half = length / 2;
        const int stride = kMaxSize / length;
        for (int k = 0; k < half; ++k) {
            const double wr = cos_[static_cast<std::size_t>(k * stride)];
            const double wi = sign * sin_[static_cast<std::size_t>(k * stride)];
            for (int i = k; i < n; i += length) {
                const int j = i + half;
                const double br = re[j] * wr - im[j] * wi;
                const double bi = re[j] * wi + im[j] * wr;
                re[j] = re[i] - br;
                im[j] = im[i] - bi;
                re[i] += br;
                im[i] += bi;
            }
        }
    }
}

}  // namespace zarpa::dsp
