// Maximum over the last W values for short windows, a chunk at a time and without branches: the
// maxima over 2, 4, 8 ... values come from the previous level and its copy shifted by half the span,
// and W itself from two overlapping power-of-two spans. For windows up to 16 these few vector passes
// cost less than the per-value bookkeeping of StereoSlidingMax, whose results they equal.
#pragma once

#include <vector>

#include "engine/dsp/rate_config.h"

namespace zarpa::dsp {

// Audio thread only; setWindow and reset run under the instance lock.
class ShortWindowMax {
public:
    static constexpr int kMaxChunk = kChunkFrames;

    explicit ShortWindowMax(int capacity);

    void setWindow(int window);  // 1..capacity; resets
    int window() const { return window_; }

    // Every value 0 (an empty window reads 0).
    void reset();

    // n values in (best up to kMaxChunk at a time), the maximum of each one's window out.
    void process(const double* in, int n, double* out);

private:
    int capacity_;
    int window_ = 1;
    // The last W - 1 values, then the chunk; and two scratch levels of the same layout.
    std::vector<double> values_;
    std::vector<double> levelA_, levelB_;
};

}  // namespace zarpa::dsp
