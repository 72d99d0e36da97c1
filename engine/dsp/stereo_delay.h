// A stereo delay line of fixed capacity whose length is chosen at configuration.
#pragma once

#include <vector>

#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// Audio thread only; setLength and reset run under the instance lock.
class StereoDelay {
public:
    explicit StereoDelay(int capacity) : buffer_(static_cast<std::size_t>(capacity)) {}

    // length in 1..capacity (limited to it).
    void setLength(int length) {
        const int capacity = static_cast<int>(buffer_.size());
        length_ = length < 1 ? 1 : length > capacity ? capacity : length;
        if (position_ >= length_) position_ = 0;
    }
    int length() const { return length_; }

    void reset() {
        for (Stereo& s : buffer_) s = Stereo{};
        position_ = 0;
    }

    // A stretch of exchanges with the write position held in a local (a register) instead of the
    // object: take one with run(), exchange through it, and hand it back with finish().
    class Run {
    public:
        // Returns the pair written `length` steps earlier and stores x in its place.
        Stereo exchange(Stereo x) {
            const Stereo out = buffer_[position_];
            buffer_[position_] = x;
            if (++position_ == length_) position_ = 0;
            return out;
        }

    private:
        friend class StereoDelay;
        Run(Stereo* buffer, int length, int position) : buffer_(buffer), length_(length), position_(position) {}
        Stereo* buffer_;
        int length_;
        int position_;
    };
    Run run() { return {buffer_.data(), length_, position_}; }
    void finish(const Run& r) { position_ = r.position_; }

    // n exchanges in place: each l[i], r[i] is stored and replaced by the pair written `length`
    // exchanges before it. Runs to the end of the ring and wraps once per pass, not per sample.
    void exchange(double* l, double* r, int n) {
        int p = position_;
        for (int done = 0; done < n;) {
            const int m = n - done < length_ - p ? n - done : length_ - p;
            Stereo* ring = buffer_.data() + p;
            for (int j = 0; j < m; ++j) {
                const Stereo out = ring[j];
                ring[j] = {l[done + j], r[done + j]};
                l[done + j] = out.l;
                r[done + j] = out.r;
            }
            done += m;
            p += m;
            if (p == length_) p = 0;
        }
        position_ = p;
    }

private:
    std::vector<Stereo> buffer_;
    int length_ = 1;
    int position_ = 0;
};

}  // namespace zarpa::dsp
