// The requantizer's tap selection and its per-sample step (the kernel's output loops step it through
// Run, specialised by the number of active taps).
#include "engine/dsp/requantizer.h"

namespace zarpa::dsp {

void Requantizer::selectShape(int shapeStep, int rate) {
    if (shapeStep == 0) {
        taps_.fill(0.0);
    } else if (const NoiseShapeTaps* taps = findNoiseShapeTaps(shapeStep, rate)) {
        taps_ = *taps;
    }
    active_ = ActiveTaps{};
    for (int k = 0; k < kNoiseShapeTaps; ++k) {
        if (taps_[static_cast<std::size_t>(k)] == 0.0) continue;
        active_.tap[static_cast<std::size_t>(active_.count)] = taps_[static_cast<std::size_t>(k)];
        active_.delay[static_cast<std::size_t>(active_.count)] = k;
        ++active_.count;
    }
    position_ = 0;
}

void Requantizer::reset() {
    errors_.fill(Stereo{});
    position_ = 0;
    autoblackGain_ = kAutoblackStart;
}

Stereo Requantizer::step(Stereo y, double h, bool autoblack, DitherGenerator& generator) {
    Run r = run(h, autoblack, generator);
    const Stereo q = r.step<kAnyCount, false>(y);
    finish(r, generator);
    return q;
}

}  // namespace zarpa::dsp
