// The sliding-maximum tree's reset and leaf update.
#include "engine/dsp/sliding_max.h"

#include <algorithm>

namespace zarpa::dsp {

void SlidingMax::reset() {
    std::fill(tree_.begin(), tree_.end(), 0.0);
    tree_[0] = kSentinel;
    position_ = 0;
}

void SlidingMax::insert(int i, double v) {
    double* t = tree_.data();
    const double old = t[i];
    t[i] = v;
    if (v > old) {
        // A larger value climbs while it beats the sibling; above that the maximum is unchanged.
        while (v > t[i ^ 1]) {
            i >>= 1;
            t[i] = v;
        }
    } else if (old > t[i ^ 1]) {
        // The removed value may have been the maximum of its ancestors: recompute them while it could be.
        do {
            i >>= 1;
            t[i] = std::max(t[2 * i], t[2 * i + 1]);
        } while (old > t[i ^ 1]);
    }
}

}  // namespace zarpa::dsp
