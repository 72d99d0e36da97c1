// The peak detector's chunk step.
#include "engine/dsp/peak_detector.h"

#include <algorithm>
#include <cmath>

#include "engine/dsp/one_pole.h"
#include "engine/dsp/rate_config.h"

namespace zarpa::dsp {

namespace {

// The larger in magnitude of the sample and the half-sample point before it (the sample on a tie).
inline double candidate(double sample, double half) { return std::fabs(sample) > std::fabs(half) ? sample : half; }

}  // namespace

PeakDetector::PeakDetector() : lookAhead_(kMaxLookAhead) { setLookAhead(128); }

void PeakDetector::setLookAhead(int samples) { lookAhead_.setWindow(samples); }

void PeakDetector::reset() {
    interpolator_.reset();
    lookAhead_.reset();
}

void PeakDetector::process(const double* uL, const double* uR, int n, bool oversample, double link,
                           DetectorChunk& out) {
    interpolator_.process(uL, uR, n, out.delayedL.data(), out.delayedR.data(), oversample ? halfL_.data() : nullptr,
                          halfR_.data());
    for (int i = 0; i < n; ++i) {
        double peakL = out.delayedL[i];
        double peakR = out.delayedR[i];
        if (oversample) {
            peakL = candidate(peakL, halfL_[i]) * kOversampleMargin;
            peakR = candidate(peakR, halfR_[i]) * kOversampleMargin;
        }
        const double cl = std::max(std::fabs(peakL), kPeakFloor);
        const double cr = std::max(std::fabs(peakR), kPeakFloor);
        out.detectorL[i] = cl;
        out.detectorR[i] = cr;
        pairs_[static_cast<std::size_t>(i)] = simd::Pair{cl, cr};
    }
    lookAhead_.push(pairs_.data(), n, pairs_.data());
    for (int i = 0; i < n; ++i) {
        const double dl = pairs_[static_cast<std::size_t>(i)][0];
        const double dr = pairs_[static_cast<std::size_t>(i)][1];
        const double m = std::max(dl, dr);
        out.lookAheadL[i] = dl * (1.0 - link) + m * link;
        out.lookAheadR[i] = dr * (1.0 - link) + m * link;
    }
}

}  // namespace zarpa::dsp
