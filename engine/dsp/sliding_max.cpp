// The sliding maximum's reset and block hand-over.
#include "engine/dsp/sliding_max.h"

#include <algorithm>

namespace zarpa::dsp {

void SlidingMax::reset() {
    std::fill(block_.begin(), block_.end(), 0.0);
    std::fill(suffix_.begin(), suffix_.end(), 0.0);
    position_ = 0;
    running_ = 0.0;
}

void SlidingMax::closeBlock() {
    double m = block_[static_cast<std::size_t>(window_ - 1)];
    suffix_[static_cast<std::size_t>(window_ - 1)] = m;
    for (int i = window_ - 2; i >= 0; --i) {
        const double v = block_[static_cast<std::size_t>(i)];
        m = v > m ? v : m;
        suffix_[static_cast<std::size_t>(i)] = m;
    }
    position_ = 0;
}

}  // namespace zarpa::dsp
