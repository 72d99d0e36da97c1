// A small radix-2 complex FFT (2 to 512 points) on split real/imaginary arrays. The transient envelope
// runs both channels through one transform: left in the real part, right in the imaginary part.
#pragma once

#include <array>
#include <cstdint>

namespace zarpa::dsp {

// Configuration (setSize) under the instance lock; transforms on the audio thread.
class ComplexFft {
public:
    static constexpr int kMaxSize = 512;

    ComplexFft();

    // n a power of two in 2..512.
    void setSize(int n);
    int size() const { return size_; }

    // In place, unnormalised: forward uses e^(-i·2πkn/N), inverse e^(+i·2πkn/N).
    void forward(double* re, double* im) const { transform(re, im, -1.0); }
    void inverse(double* re, double* im) const { transform(re, im, 1.0); }

private:
    void transform(double* re, double* im, double sign) const;

    std::array<double, kMaxSize / 2> cos_{};
    std::array<double, kMaxSize / 2> sin_{};
    std::array<std::uint16_t, kMaxSize> bitReversed_{};
    int size_ = 0;
};

}  // namespace zarpa::dsp
