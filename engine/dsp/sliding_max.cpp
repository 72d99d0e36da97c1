// The sliding maximum's reset and block hand-over.
#include "engine/dsp/sliding_max.h"

#include <algorithm>

namespace zarpa::dsp {

void StereoSlidingMax::reset() {
    std::fill(block_.begin(), block_.end(), V{});
    std::fill(suffix_.begin(), suffix_.end(), V{});
    position_ = 0;
    running_ = V{};
}

void StereoSlidingMax::closeBlock() {
    V m = block_[static_cast<std::size_t>(window_ - 1)];
    suffix_[static_cast<std::size_t>(window_ - 1)] = m;
    for (int i = window_ - 2; i >= 0; --i) {
        m = larger(block_[static_cast<std::size_t>(i)], m);
        suffix_[static_cast<std::size_t>(i)] = m;
    }
    position_ = 0;
}

}  // namespace zarpa::dsp
