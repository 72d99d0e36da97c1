// The peak detector: 31-sample pre-delay, optional half-sample peaks, the look-ahead window maximum
// and the stereo link.
#pragma once

#include "engine/dsp/half_sample_interpolator.h"
#include "engine/dsp/sliding_max.h"
#include "engine/dsp/stereo_delay.h"

namespace zarpa::dsp {

// Glossary: u driven sample, p u delayed by 31, c detector value (peak of the sample 31 back and, with
// oversampling, of the half-sample point before it), d look-ahead peak (max of c over L samples).
struct DetectorOutput {
    Stereo delayed;    // p
    Stereo detector;   // c
    Stereo lookAhead;  // d, linked between the channels
};

// Audio thread only; setLookAhead and reset run under the instance lock.
class PeakDetector {
public:
    // Safety margin on oversampled peaks: the interpolator is not perfect near the band edge.
    static constexpr double kOversampleMargin = 1.001;

    PeakDetector();

    void setLookAhead(int samples);  // L
    void reset();

    // link: 0 independent channels .. 1 both see the larger look-ahead peak.
    DetectorOutput step(Stereo u, bool oversample, double link);

private:
    static double candidate(double sample, double half) {
        return (sample < 0 ? -sample : sample) > (half < 0 ? -half : half) ? sample : half;
    }

    StereoDelay preDelay_;
    HalfSampleInterpolator interpolator_;
    SlidingMax lookAheadL_;
    SlidingMax lookAheadR_;
};

}  // namespace zarpa::dsp
