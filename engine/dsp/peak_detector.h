// The peak detector: 31-sample pre-delay, optional half-sample peaks, the look-ahead window maximum
// and the stereo link, for a chunk of samples at a time.
#pragma once

#include <array>

#include "engine/dsp/half_sample_interpolator.h"
#include "engine/dsp/sliding_max.h"
#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// Glossary: u driven sample, p u delayed by 31, c detector value (peak of the sample 31 back and, with
// oversampling, of the half-sample point before it), d look-ahead peak (max of c over L samples).
struct DetectorChunk {
    static constexpr int kMax = HalfSampleInterpolator::kMaxChunk;
    std::array<double, kMax> delayedL, delayedR;      // p
    std::array<double, kMax> detectorL, detectorR;    // c
    std::array<double, kMax> lookAheadL, lookAheadR;  // d, linked between the channels
    bool fullyLinked = false;  // d is the same for both channels
};

// Audio thread only; setLookAhead and reset run under the instance lock.
class PeakDetector {
public:
    // Safety margin on oversampled peaks: the interpolator is not perfect near the band edge.
    static constexpr double kOversampleMargin = 1.001;

    PeakDetector();

    void setLookAhead(int samples);  // L
    void reset();

    // n (1..DetectorChunk::kMax) driven samples per channel. link: 0 independent channels .. 1 both
    // channels see the larger look-ahead peak.
    void process(const double* uL, const double* uR, int n, bool oversample, double link, DetectorChunk& out);

    // The same in two parts, for a kernel that runs a chunk's interpolator sums beside other work before
    // the chunk is detected: write the chunk to interpolator().appendedL()/R(), with oversampling sum its
    // half-sample points (addTaps) into halfL()/halfR(), then detectInterpolated().
    HalfSampleInterpolator& interpolator() { return interpolator_; }
    double* halfL() { return halfL_.data(); }
    double* halfR() { return halfR_.data(); }
    void detectInterpolated(int n, bool oversample, double link, DetectorChunk& out);

private:
    HalfSampleInterpolator interpolator_;
    std::array<double, DetectorChunk::kMax> halfL_{}, halfR_{};
    std::array<Stereo, DetectorChunk::kMax> pairs_{};      // c of both channels, then their look-ahead peaks
    StereoSlidingMax lookAhead_;
};

}  // namespace zarpa::dsp
