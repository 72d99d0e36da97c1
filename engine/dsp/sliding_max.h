// Maximum over the last W values, updated in O(log W) by a binary tree with early stops.
#pragma once

#include <limits>
#include <vector>

namespace zarpa::dsp {

// Leaves are tree_[W .. 2W-1]; node i has children 2i and 2i+1 and sibling i^1; tree_[1] is the maximum.
// tree_[0] holds a sentinel larger than any value so that both walks stop at the root. It is +infinity,
// not a large finite number: a finite sentinel that a loud value exceeds lets the removal walk step
// from the root to index 0 and loop there for ever.
// Audio thread only; setWindow and reset run under the instance lock.
class SlidingMax {
public:
    explicit SlidingMax(int capacity) : tree_(2 * static_cast<std::size_t>(capacity)), capacity_(capacity) {}

    void setWindow(int window) {
        window_ = window < 1 ? 1 : window > capacity_ ? capacity_ : window;
        reset();
    }
    int window() const { return window_; }

    // All values 0 (an empty window reads 0), write position 0.
    void reset();

    // Inserts v as the newest value (replacing the one W steps old) and returns the window maximum.
    double push(double v) {
        insert(window_ + position_, v);
        if (++position_ == window_) position_ = 0;
        return tree_[1];
    }

private:
    static constexpr double kSentinel = std::numeric_limits<double>::infinity();

    void insert(int i, double v) {
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
                t[i] = t[2 * i] > t[2 * i + 1] ? t[2 * i] : t[2 * i + 1];
            } while (old > t[i ^ 1]);
        }
    }

    std::vector<double> tree_;
    int capacity_;
    int window_ = 1;
    int position_ = 0;
};

}  // namespace zarpa::dsp
