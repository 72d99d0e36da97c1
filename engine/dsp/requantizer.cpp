// The requantizer's tap selection and per-sample step, and its chunk loop specialised by the number of
// active taps.
#include "engine/dsp/requantizer.h"

#include <cmath>

#include "engine/dsp/one_pole.h"
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

namespace {

// One channel: v dithered and truncated onto the grid of 1/h. The offset h keeps the argument positive
// for normal signals, so the truncation is a floor. It is done in 64-bit floating point: no integer can
// overflow however loud v is. h is a power of two, so multiplying by 1/h is the exact division.
[[gnu::always_inline]] inline double quantize(double v, double h, DitherGenerator& generator) {
    const double u1 = generator.next();
    const double u2 = generator.next();
    const double d = (u1 + u2) / 2.0;  // triangular, one step peak
    return (std::trunc(v * h + d + h) - h) * (1.0 / h);
}

}  // namespace

template <int kCount>
[[gnu::always_inline]] inline Stereo Requantizer::stepWith(Running& r, Stereo y, double h, bool autoblack,
                                                          double autoblackCoefficient, const ActiveTaps& taps,
                                                          Stereo* errors) {
    const double level = std::fabs(y.l) > std::fabs(y.r) ? std::fabs(y.l) : std::fabs(y.r);
    if (level > kSilenceLevel || !autoblack)
        r.autoblackGain = 1.0;
    else
        r.autoblackGain = r.autoblackGain - r.autoblackGain * autoblackCoefficient;
    r.autoblackGain = flushDenormal(r.autoblackGain);

    // Σ a_k·e[n-k], k = 1..12, newest error first (zero taps skipped).
    const Stereo* newest = errors + r.position + kNoiseShapeTaps;
    const int count = kCount == kAnyCount ? taps.count : kCount;
    double shapeL = 0.0;
    double shapeR = 0.0;
    if (count > 0) {
        const Stereo first = kCount == kAnyCount ? newest[-taps.delay[0]] : r.newest;
        shapeL = taps.tap[0] * first.l;
        shapeR = taps.tap[0] * first.r;
        for (int t = 1; t < count; ++t) {
            shapeL += taps.tap[static_cast<std::size_t>(t)] * newest[-taps.delay[static_cast<std::size_t>(t)]].l;
            shapeR += taps.tap[static_cast<std::size_t>(t)] * newest[-taps.delay[static_cast<std::size_t>(t)]].r;
        }
    }
    r.position = r.position + 1 == kNoiseShapeTaps ? 0 : r.position + 1;

    const double vL = y.l + shapeL;
    const double qL = quantize(vL, h, r.generator);
    const double vR = y.r + shapeR;
    const double qR = quantize(vR, h, r.generator);
    const Stereo error{qL - vL, qR - vR};
    errors[r.position] = error;
    errors[r.position + kNoiseShapeTaps] = error;
    r.newest = error;
    return {qL * r.autoblackGain, qR * r.autoblackGain};
}

Stereo Requantizer::step(Stereo y, double h, bool autoblack, DitherGenerator& generator) {
    Running r{autoblackGain_, position_, generator, errors_[static_cast<std::size_t>(position_)]};
    const Stereo q = stepWith<kAnyCount>(r, y, h, autoblack, autoblackCoefficient_, active_, errors_.data());
    autoblackGain_ = r.autoblackGain;
    position_ = r.position;
    generator = r.generator;
    return q;
}

namespace {

// The chunk loop for kCount active taps, its state in locals. Vector clones for the truncation
// instruction of newer machines (the same result).
template <int kCount>
ZARPA_VECTOR_CLONES
void requantizeChunk(Requantizer::Running& state, const double* yL, const double* yR, int n, double h,
                     bool autoblack, double autoblackCoefficient, const Requantizer::ActiveTaps& taps,
                     Stereo* errors, double* outL, double* outR) {
    Requantizer::Running r = state;
    for (int i = 0; i < n; ++i) {
        const Stereo q =
            Requantizer::stepWith<kCount>(r, {yL[i], yR[i]}, h, autoblack, autoblackCoefficient, taps, errors);
        outL[i] = q.l;
        outR[i] = q.r;
    }
    state = r;
}

}  // namespace

void Requantizer::process(const double* yL, const double* yR, int n, double h, bool autoblack,
                          DitherGenerator& generator, double* outL, double* outR) {
    Running r{autoblackGain_, position_, generator, errors_[static_cast<std::size_t>(position_)]};
    Stereo* errors = errors_.data();
    const double kb = autoblackCoefficient_;
    // The counts of the tap tables (off, type A, types B and C) get loops of their own.
    const bool startsWithA1 = active_.count > 0 && active_.delay[0] == 0;
    switch (startsWithA1 || active_.count == 0 ? active_.count : kAnyCount) {
        case 0: requantizeChunk<0>(r, yL, yR, n, h, autoblack, kb, active_, errors, outL, outR); break;
        case 3: requantizeChunk<3>(r, yL, yR, n, h, autoblack, kb, active_, errors, outL, outR); break;
        case 11: requantizeChunk<11>(r, yL, yR, n, h, autoblack, kb, active_, errors, outL, outR); break;
        case 12: requantizeChunk<12>(r, yL, yR, n, h, autoblack, kb, active_, errors, outL, outR); break;
        default: requantizeChunk<kAnyCount>(r, yL, yR, n, h, autoblack, kb, active_, errors, outL, outR); break;
    }
    autoblackGain_ = r.autoblackGain;
    position_ = r.position;
    generator = r.generator;
}

}  // namespace zarpa::dsp
