// The sliding-maximum tree's reset.
#include "engine/dsp/sliding_max.h"

#include <algorithm>

namespace zarpa::dsp {

void SlidingMax::reset() {
    std::fill(tree_.begin(), tree_.end(), 0.0);
    tree_[0] = kSentinel;
    position_ = 0;
}

}  // namespace zarpa::dsp
