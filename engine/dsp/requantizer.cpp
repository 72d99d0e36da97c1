// The requantizer's tap selection and per-sample step.
#include "engine/dsp/requantizer.h"

#include <cmath>

#include "engine/dsp/one_pole.h"

namespace zarpa::dsp {

void Requantizer::selectShape(int shapeStep, int rate) {
    if (shapeStep == 0) {
        taps_.fill(0.0);
    } else if (const NoiseShapeTaps* taps = findNoiseShapeTaps(shapeStep, rate)) {
        taps_ = *taps;
    }
    position_ = 0;
}

void Requantizer::reset() {
    errors_.fill(Stereo{});
    position_ = 0;
    autoblackGain_ = kAutoblackStart;
}

double Requantizer::quantize(double v, double h, DitherGenerator& generator) {
    const double u1 = generator.next();
    const double u2 = generator.next();
    const double d = (u1 + u2) / 2.0;  // triangular, one step peak
    // The offset h keeps the argument positive for normal signals, so the truncation is a floor. It is
    // done in 64-bit floating point: no integer can overflow however loud v is. h is a power of two, so
    // multiplying by 1/h is the exact division.
    return (std::trunc(v * h + d + h) - h) * (1.0 / h);
}

Stereo Requantizer::step(Stereo y, double h, bool autoblack, DitherGenerator& generator) {
    const double level = std::fabs(y.l) > std::fabs(y.r) ? std::fabs(y.l) : std::fabs(y.r);
    if (level > kSilenceLevel || !autoblack)
        autoblackGain_ = 1.0;
    else
        autoblackGain_ = autoblackGain_ - autoblackGain_ * autoblackCoefficient_;
    autoblackGain_ = flushDenormal(autoblackGain_);

    // Σ a_k·e[n-k], k = 1..12, newest error first.
    const Stereo* newest = &errors_[static_cast<std::size_t>(position_ + kNoiseShapeTaps)];
    double shapeL = 0.0;
    double shapeR = 0.0;
    for (int k = 0; k < kNoiseShapeTaps; ++k) {
        shapeL += taps_[static_cast<std::size_t>(k)] * newest[-k].l;
        shapeR += taps_[static_cast<std::size_t>(k)] * newest[-k].r;
    }
    position_ = position_ + 1 == kNoiseShapeTaps ? 0 : position_ + 1;

    const double vL = y.l + shapeL;
    const double qL = quantize(vL, h, generator);
    const double vR = y.r + shapeR;
    const double qR = quantize(vR, h, generator);
    const Stereo error{qL - vL, qR - vR};
    errors_[static_cast<std::size_t>(position_)] = error;
    errors_[static_cast<std::size_t>(position_ + kNoiseShapeTaps)] = error;
    return {qL * autoblackGain_, qR * autoblackGain_};
}

}  // namespace zarpa::dsp
