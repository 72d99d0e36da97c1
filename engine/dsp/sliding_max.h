// Maximum over the last W values in constant time per value: the stream is cut into blocks of W; the
// window ending at a value is the running maximum of its own block so far joined with a suffix
// maximum of the previous block (van Herk / Gil-Werman).
#pragma once

#include <vector>

namespace zarpa::dsp {

// Audio thread only; setWindow and reset run under the instance lock.
class SlidingMax {
public:
    explicit SlidingMax(int capacity)
        : block_(static_cast<std::size_t>(capacity)), suffix_(static_cast<std::size_t>(capacity)), capacity_(capacity) {}

    void setWindow(int window) {
        window_ = window < 1 ? 1 : window > capacity_ ? capacity_ : window;
        reset();
    }
    int window() const { return window_; }

    // Every value 0 (an empty window reads 0).
    void reset();

    // Inserts v as the newest value (the one W steps old leaves) and returns the window maximum.
    double push(double v) {
        const int p = position_;
        block_[static_cast<std::size_t>(p)] = v;
        running_ = p == 0 || v > running_ ? v : running_;
        double result = running_;
        if (p + 1 < window_) {
            // The window also holds the previous block from position p + 1 to its end.
            const double older = suffix_[static_cast<std::size_t>(p + 1)];
            result = older > result ? older : result;
            position_ = p + 1;
        } else {
            closeBlock();
        }
        return result;
    }

private:
    // The block is complete: its suffix maxima serve the next W windows.
    void closeBlock();

    std::vector<double> block_;   // the values of the current block
    std::vector<double> suffix_;  // suffix_[i]: maximum of the previous block from i to its end
    int capacity_;
    int window_ = 1;
    int position_ = 0;            // of the next value within the block
    double running_ = 0.0;        // maximum of the current block so far
};

}  // namespace zarpa::dsp
