// The requantizer's tap selection and per-sample step, and its chunk loop specialised by the number of
// active taps.
#include "engine/dsp/requantizer.h"

#include "engine/dsp/simd.h"

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
    const Stereo q = r.step<kAnyCount>(y);
    finish(r, generator);
    return q;
}

namespace {

// The chunk loop for kCount active taps. Vector clones for the truncation instruction of newer machines
// (the same result).
template <int kCount>
ZARPA_VECTOR_CLONES
void requantizeChunk(Requantizer::Run& run, const double* yL, const double* yR, int n, double* outL, double* outR) {
    Requantizer::Run r = run;  // a local: its state stays in registers, not behind the stores of the loop
    for (int i = 0; i < n; ++i) {
        const Stereo q = r.step<kCount>({yL[i], yR[i]});
        outL[i] = q.l;
        outR[i] = q.r;
    }
    run = r;
}

}  // namespace

void Requantizer::process(const double* yL, const double* yR, int n, double h, bool autoblack,
                          DitherGenerator& generator, double* outL, double* outR) {
    Run r = run(h, autoblack, generator);
    switch (specialisedCount()) {
        case 0: requantizeChunk<0>(r, yL, yR, n, outL, outR); break;
        case 3: requantizeChunk<3>(r, yL, yR, n, outL, outR); break;
        case 11: requantizeChunk<11>(r, yL, yR, n, outL, outR); break;
        case 12: requantizeChunk<12>(r, yL, yR, n, outL, outR); break;
        default: requantizeChunk<kAnyCount>(r, yL, yR, n, outL, outR); break;
    }
    finish(r, generator);
}

}  // namespace zarpa::dsp
