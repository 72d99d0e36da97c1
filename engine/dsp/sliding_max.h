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
    // in), with the position and the running maximum held in locals.
    [[gnu::always_inline]] void push(const Stereo* in, int n, Stereo* out) {
        int p = position_;
        V running = running_;
        V* block = block_.data();
        const V* suffix = suffix_.data();
        for (int i = 0; i < n; ++i) {
            const V v = simd::pair(in[i]);
            block[p] = v;
            running = p == 0 ? v : larger(v, running);
            V result = running;
            if (p + 1 < window_) {
                result = larger(suffix[p + 1], result);
                ++p;
            } else {
                closeBlock();
                p = 0;
            }
            out[i] = simd::stereo(result);
        }
        position_ = p;
        running_ = running;
    }

private:
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
