// The small gain stages of the kernel: the drive/output gain glide and the slow leveller.
#pragma once

#include "engine/dsp/one_pole.h"
#include "engine/dsp/simd.h"
#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// A gain gliding towards its target with a 30 Hz one-pole. Audio thread only.
class GainGlide {
public:
    void setCoefficient(double k) { k_ = k; }
    void reset(double target) { value_ = target; }
    double value() const { return value_; }

    double step(double target) {
        value_ = flushDenormal(onePoleStep(value_, target, k_));
        return value_;
    }
    // True when a step towards target would leave the value as it is: the step is a function of the
    // value alone, so every further step leaves it too.
    bool settled(double target) const { return flushDenormal(onePoleStep(value_, target, k_)) == value_; }

private:
    double value_ = 1.0;
    double k_ = 0.0;
};

// Pulls the one-second average of the driven peak level down to the threshold T. Audio thread only.
class Leveller {
public:
    void setCoefficient(double k) { k_ = k; }
    void reset() { average_ = kPeakFloor; }

    // driven: the input times the drive gain, both channels. Returns the leveller gain.
    double step(Stereo driven, double threshold, bool off) {
        follow(peakOf(driven));
        return gainFor(average_, threshold, off);
    }

    // The step in its three parts, for loops that run them apart: the driven peak level a, the average's
    // step towards it, and the gain for an average.
    static double peakOf(Stereo driven) {
        const simd::Pair magnitude = simd::magnitude(simd::pair(driven));
        const double l = magnitude[0];
        const double r = magnitude[1];
        double a = l > r ? l : r;
        if (a < kPeakFloor) a = kPeakFloor;
        return a;
    }
    double follow(double a) {
        average_ = onePoleStep(average_, a, k_);
        return average_;
    }
    static double gainFor(double average, double threshold, bool off) {
        return off || threshold >= average ? 1.0 : threshold / average;
    }

private:
    double average_ = kPeakFloor;
    double k_ = 0.0;
};

}  // namespace zarpa::dsp
