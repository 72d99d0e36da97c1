// The short window maximum's passes.
#include "engine/dsp/short_window_max.h"

#include <algorithm>

#include "engine/dsp/simd.h"

namespace zarpa::dsp {

namespace {

// dst[j] = max(src[j], src[j - shift]) for j in [from, to).
void maxWithShifted(const double* src, int shift, int from, int to, double* dst) {
    for (int j = from; j < to; ++j) {
        const double a = src[j];
        const double b = src[j - shift];
        dst[j] = a > b ? a : b;
    }
}

}  // namespace

ShortWindowMax::ShortWindowMax(int capacity)
    : capacity_(capacity < 1 ? 1 : capacity),
      values_(static_cast<std::size_t>(capacity_ - 1 + kMaxChunk)),
      levelA_(values_.size()),
      levelB_(values_.size()) {}

void ShortWindowMax::setWindow(int window) {
    window_ = window < 1 ? 1 : window > capacity_ ? capacity_ : window;
    reset();
}

void ShortWindowMax::reset() { std::fill(values_.begin(), values_.end(), 0.0); }

void ShortWindowMax::process(const double* in, int n, double* out) {
    for (; n > kMaxChunk; n -= kMaxChunk, in += kMaxChunk, out += kMaxChunk) process(in, kMaxChunk, out);
    if (n <= 0) return;
    const int history = window_ - 1;
    const int end = history + n;  // values_[history + i] is in[i]
    simd::copyForward(values_.data() + history, in, n);

    // Level s holds at j the maximum of the s values ending at j; it is needed from j = s - 1 on.
    int span = 1;
    const double* level = values_.data();
    double* next = levelA_.data();
    while (2 * span <= window_) {
        maxWithShifted(level, span, 2 * span - 1, end, next);
        level = next;
        next = next == levelA_.data() ? levelB_.data() : levelA_.data();
        span *= 2;
    }
    if (span == window_) {
        simd::copyForward(out, level + history, n);
    } else {
        // Two overlapping spans cover the window: the one ending at j and the one starting W - 1 back.
        const int overlap = window_ - span;
        for (int i = 0; i < n; ++i) {
            const double a = level[history + i];
            const double b = level[history + i - overlap];
            out[i] = a > b ? a : b;
        }
    }
    // The newest W - 1 values stay in front of the next chunk.
    simd::copyForward(values_.data(), values_.data() + n, history);
}

}  // namespace zarpa::dsp
