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
    // The suffix maxima of four quarters side by side (four short chains of comparisons overlap where
    // one long chain would wait on each), then each quarter's joined with the maximum of all after it.
    // The largest of a set is the same in any order.
    const int quarter = window_ / 4;
    const int head = window_ - 4 * quarter;  // the first values, before the quarters, on their own
    V* suffix = suffix_.data();
    const V* block = block_.data();
    V m[4];
    for (int q = 0; q < 4; ++q) m[q] = V{};
    for (int j = quarter - 1; j >= 0; --j) {
        for (int q = 0; q < 4; ++q) {
            const int i = head + q * quarter + j;
            m[q] = j == quarter - 1 ? block[i] : larger(block[i], m[q]);
            suffix[i] = m[q];
        }
    }
    V after = quarter > 0 ? suffix[head + 3 * quarter] : V{};
    for (int q = 2; q >= 0 && quarter > 0; --q) {
        for (int j = 0; j < quarter; ++j) {
            const int i = head + q * quarter + j;
            suffix[i] = larger(suffix[i], after);
        }
        after = suffix[head + q * quarter];
    }
    for (int i = head - 1; i >= 0; --i) {
        after = i == window_ - 1 ? block[i] : larger(block[i], after);
        suffix[i] = after;
    }
    position_ = 0;
}

}  // namespace zarpa::dsp
