// Maximum over the last W values in constant time per value: the stream is cut into blocks of W; the
// window ending at a value is the running maximum of its own block so far joined with a suffix
// maximum of the previous block (van Herk / Gil-Werman). The values are stereo pairs, whose two channels
// run through one set of instructions (as one simd::Pair).
#pragma once

#include <vector>

#include "engine/dsp/simd.h"
#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// Two channels with one shared position. Audio thread only; setWindow and reset run under the instance
// lock.
class StereoSlidingMax {
    using V = simd::Pair;

public:
    explicit StereoSlidingMax(int capacity)
        : block_(static_cast<std::size_t>(capacity)), suffix_(static_cast<std::size_t>(capacity)), capacity_(capacity) {}

    void setWindow(int window) {
        window_ = window < 1 ? 1 : window > capacity_ ? capacity_ : window;
        reset();
    }
    int window() const { return window_; }

    // Every value 0 (an empty window reads 0).
    void reset();

    // n values in (each the newest, the one W steps old leaving), their window maxima out (out may be
    // in), a stretch of the current block at a time.
    [[gnu::always_inline]] void push(const Stereo* in, int n, Stereo* out) {
        for (int i = 0; i < n;) {
            const int s = n - i < window_ - position_ ? n - i : window_ - position_;
            pushStretch(in + i, s, out + i);
            i += s;
            if (position_ == window_) closeBlock();
        }
    }

private:
    // s values that stay inside the current block. The running maximum of the block is a chain of
    // comparisons, one per value: the stretch runs as two halves side by side, the second half's chain
    // starting afresh and joined with the first's end afterwards (the largest of a set is the same in
    // any order), so that the two chains overlap.
    [[gnu::always_inline]] void pushStretch(const Stereo* in, int s, Stereo* out) {
        const int p0 = position_;
        V* block = block_.data() + p0;
        const bool fresh = p0 == 0;  // the block starts here: nothing runs before
        const int h = s / 2;
        V a = running_, b{};
        for (int j = 0; j < s - h; ++j) {
            if (j < h) {
                const V v = simd::pair(in[j]);
                block[j] = v;
                a = fresh && j == 0 ? v : larger(v, a);
                out[j] = simd::stereo(a);
            }
            const V w = simd::pair(in[h + j]);
            block[h + j] = w;
            b = j == 0 ? w : larger(w, b);
            out[h + j] = simd::stereo(b);
        }
        if (h > 0 || !fresh) {
            for (int k = h; k < s; ++k) out[k] = simd::stereo(larger(simd::pair(out[k]), a));
        }
        running_ = simd::pair(out[s - 1]);
        // Each window: the block's running maximum joined with the previous block's suffix maximum
        // (none at the block's last position).
        const V* suffix = suffix_.data() + p0 + 1;
        const int joined = p0 + s < window_ ? s : s - 1;
        for (int j = 0; j < joined; ++j) out[j] = simd::stereo(larger(suffix[j], simd::pair(out[j])));
        position_ = p0 + s;
    }

    // a where it is greater than b, else b, per channel.
    [[gnu::always_inline]] static V larger(V a, V b) { return a > b ? a : b; }

    // The block is complete: its suffix maxima serve the next W windows.
    void closeBlock();

    std::vector<V> block_;   // the values of the current block
    std::vector<V> suffix_;  // suffix_[i]: maximum of the previous block from i to its end
    int capacity_;
    int window_ = 1;
    int position_ = 0;       // of the next value within the block
    V running_{};            // maximum of the current block so far
};

}  // namespace zarpa::dsp
