// The peak detector's chunk step.
#include "engine/dsp/peak_detector.h"

#include <algorithm>
#include <cmath>

#include "engine/dsp/one_pole.h"
#include "engine/dsp/rate_config.h"
#include "engine/dsp/simd.h"

namespace zarpa::dsp {

namespace {

// The larger in magnitude of the sample and the half-sample point before it (the sample on a tie).
inline double candidate(double sample, double half) { return std::fabs(sample) > std::fabs(half) ? sample : half; }

// Detector values, look-ahead peaks and link for a chunk whose delayed samples (and, when halfL is not
// null, half-sample values) are in place.
void detectChunk(DetectorChunk& out, const double* halfL, const double* halfR, int n, double link,
                 StereoSlidingMax& lookAhead, Stereo* pairs) {
    using simd::Lanes;
    const Lanes floor = Lanes{} + kPeakFloor;
    int i = 0;
    // Without half-sample points, four samples of each channel at a time (the same operations per lane),
    // side by side into the pairs.
    for (; !halfL && i + simd::kLanes <= n; i += simd::kLanes) {
        Lanes l, r;
        simd::load(l, out.delayedL.data() + i);
        simd::load(r, out.delayedR.data() + i);
        simd::makeMagnitude(l);
        simd::makeMagnitude(r);
        l = l < floor ? floor : l;
        r = r < floor ? floor : r;
        simd::store(out.detectorL.data() + i, l);
        simd::store(out.detectorR.data() + i, r);
        simd::store(&pairs[i].l, Lanes(__builtin_shufflevector(l, r, 0, 4, 1, 5)));
        simd::store(&pairs[i + 2].l, Lanes(__builtin_shufflevector(l, r, 2, 6, 3, 7)));
    }
    for (; i < n; ++i) {
        double peakL = out.delayedL[i];
        double peakR = out.delayedR[i];
        if (halfL) {
            peakL = candidate(peakL, halfL[i]) * PeakDetector::kOversampleMargin;
            peakR = candidate(peakR, halfR[i]) * PeakDetector::kOversampleMargin;
        }
        const double cl = std::max(std::fabs(peakL), kPeakFloor);
        const double cr = std::max(std::fabs(peakR), kPeakFloor);
        out.detectorL[i] = cl;
        out.detectorR[i] = cr;
        pairs[i] = {cl, cr};
    }
    lookAhead.push(pairs, n, pairs);
    out.fullyLinked = link == 1.0;
    // Fully linked or not at all, the mix gives exactly the louder channel or each its own (a peak is
    // positive and finite: x·0 is 0 and x·1 is x): the multiplications are left out.
    if (link == 1.0) {
        // A pair at a time, as the sliding maximum has just stored them (a vector of two would wait for
        // both stores).
        for (int j = 0; j < n; ++j) out.lookAheadL[j] = out.lookAheadR[j] = std::max(pairs[j].l, pairs[j].r);
        return;
    }
    if (link == 0.0) {
        for (int i = 0; i < n; ++i) {
            out.lookAheadL[i] = pairs[i].l;
            out.lookAheadR[i] = pairs[i].r;
        }
        return;
    }
    for (int i = 0; i < n; ++i) {
        const double dl = pairs[i].l;
        const double dr = pairs[i].r;
        const double m = std::max(dl, dr);
        out.lookAheadL[i] = dl * (1.0 - link) + m * link;
        out.lookAheadR[i] = dr * (1.0 - link) + m * link;
    }
}

}  // namespace

PeakDetector::PeakDetector() : lookAhead_(kMaxLookAhead) { setLookAhead(kBaseLookAhead); }

void PeakDetector::setLookAhead(int samples) { lookAhead_.setWindow(samples); }

void PeakDetector::reset() {
    interpolator_.reset();
    lookAhead_.reset();
}

void PeakDetector::process(const double* uL, const double* uR, int n, bool oversample, double link,
                           DetectorChunk& out) {
    interpolator_.process(uL, uR, n, out.delayedL.data(), out.delayedR.data(), oversample ? halfL_.data() : nullptr,
                          halfR_.data());
    detectChunk(out, oversample ? halfL_.data() : nullptr, halfR_.data(), n, link, lookAhead_, pairs_.data());
}

void PeakDetector::detectInterpolated(int n, bool oversample, double link, DetectorChunk& out) {
    simd::copyForward(out.delayedL.data(), interpolator_.centreL(), n);
    simd::copyForward(out.delayedR.data(), interpolator_.centreR(), n);
    interpolator_.advance(n);
    detectChunk(out, oversample ? halfL_.data() : nullptr, halfR_.data(), n, link, lookAhead_, pairs_.data());
}

}  // namespace zarpa::dsp
