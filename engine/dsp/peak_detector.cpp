// The peak detector's per-sample step.
#include "engine/dsp/peak_detector.h"

#include <algorithm>
#include <cmath>

#include "engine/dsp/one_pole.h"
#include "engine/dsp/rate_config.h"

namespace zarpa::dsp {

PeakDetector::PeakDetector()
    : preDelay_(kPreDelay), lookAheadL_(kMaxLookAhead), lookAheadR_(kMaxLookAhead) {
    preDelay_.setLength(kPreDelay);
    setLookAhead(128);
}

void PeakDetector::setLookAhead(int samples) {
    lookAheadL_.setWindow(samples);
    lookAheadR_.setWindow(samples);
}

void PeakDetector::reset() {
    preDelay_.reset();
    interpolator_.reset();
    lookAheadL_.reset();
    lookAheadR_.reset();
}

DetectorOutput PeakDetector::step(Stereo u, bool oversample, double link) {
    DetectorOutput out;
    out.delayed = preDelay_.exchange(u);
    interpolator_.push(u);

    Stereo peak = out.delayed;
    if (oversample) {
        const Stereo half = interpolator_.halfSample();
        const Stereo sample = interpolator_.centre();
        peak.l = candidate(sample.l, half.l) * kOversampleMargin;
        peak.r = candidate(sample.r, half.r) * kOversampleMargin;
    }
    out.detector.l = std::max(std::fabs(peak.l), kPeakFloor);
    out.detector.r = std::max(std::fabs(peak.r), kPeakFloor);

    const double dl = lookAheadL_.push(out.detector.l);
    const double dr = lookAheadR_.push(out.detector.r);
    const double m = std::max(dl, dr);
    out.lookAhead.l = dl * (1.0 - link) + m * link;
    out.lookAhead.r = dr * (1.0 - link) + m * link;
    return out;
}

}  // namespace zarpa::dsp
