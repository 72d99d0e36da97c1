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

// m: the maximum of the four values ending at each of x[j..j+3]. (Vectors by reference: they never
// meet the calling convention, whatever the build.)
[[gnu::always_inline]] inline void maxOfFour(const double* x, int j, simd::Lanes& m) {
    simd::Lanes a, b, c, d;
    simd::load(a, x + j);
    simd::load(b, x + j - 1);
    simd::load(c, x + j - 2);
    simd::load(d, x + j - 3);
    const simd::Lanes ab = a > b ? a : b, cd = c > d ? c : d;
    m = ab > cd ? ab : cd;
}

// Windows of 8 and 16 values (the short windows the transient shapes give) four outputs at a time in
// registers: maxima of 4 from the values, of 8 from two of those 4 apart, of 16 from two of those 8
// apart, carried from group to group. The passes through memory would read back, at odd offsets, what
// the pass before had only just stored, and wait for it. x[j] is the newest value of output j; the
// window - 1 values before x[0] are readable.
void windowOf8Or16(const double* x, int n, int window, double* out) {
    using simd::Lanes;
    Lanes four4, four8, four12;  // maxima of 4 one, two and three groups before
    maxOfFour(x, -4, four4);
    Lanes eight4 = {}, eight8 = {};  // maxima of 8 one and two groups before
    if (window == 16) {
        maxOfFour(x, -8, four8);
        maxOfFour(x, -12, four12);
        eight4 = four4 > four8 ? four4 : four8;
        eight8 = four8 > four12 ? four8 : four12;
    }
    int j = 0;
    for (; j + simd::kLanes <= n; j += simd::kLanes) {
        Lanes four;
        maxOfFour(x, j, four);
        const Lanes eight = four > four4 ? four : four4;
        simd::store(out + j, window == 16 ? Lanes(eight > eight8 ? eight : eight8) : eight);
        four4 = four;
        eight8 = eight4;
        eight4 = eight;
    }
    for (; j < n; ++j) {
        double m = x[j];
        for (int k = 1; k < window; ++k) m = x[j - k] > m ? x[j - k] : m;
        out[j] = m;
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

    if (window_ == 8 || window_ == 16) {
        windowOf8Or16(values_.data() + history, n, window_, out);
        simd::copyForward(values_.data(), values_.data() + n, history);
        return;
    }

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
