// The requantizer: word-length reduction to 8, 16 or 24 bits with triangular dither, error-feedback
// noise shaping and the auto-black fade to digital silence.
#pragma once

#include <array>
#include <cmath>

#include "engine/dsp/dither_generator.h"
#include "engine/dsp/noise_shape_taps.h"
#include "engine/dsp/one_pole.h"
#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

// Audio thread only; selectShape, setRate and reset run under the instance lock or between blocks
// on the audio thread.
class Requantizer {
public:
    // Auto-black gain after a reset: dither stays inaudible until the first signal arrives.
    static constexpr double kAutoblackStart = 1e-20;
    // Magnitude above which a sample counts as signal for auto-black.
    static constexpr double kSilenceLevel = 1e-8;

    void setAutoblackCoefficient(double kb) { autoblackCoefficient_ = kb; }

    // The taps for shapeStep (0 off, 1..3 types A..C) at rate: "off" selects all zeros; a rate
    // without sets keeps the taps in use. Either way the error position restarts at 0.
    void selectShape(int shapeStep, int rate);

    // Error rings to 0 and position 0, auto-black gain to its start value. Keeps the selected taps.
    void reset();

    // h: 2^(bits-1). The dither draws come from generator, left channel first.
    Stereo step(Stereo y, double h, bool autoblack, DitherGenerator& generator);

    // n samples per channel: y in, the requantized values out (out may be y). The same arithmetic as n
    // calls of step().
    void process(const double* yL, const double* yR, int n, double h, bool autoblack, DitherGenerator& generator,
                 double* outL, double* outR);

    // The running state of a stretch of samples, held in locals (registers) by the loops that step it.
    struct Running {
        double autoblackGain;
        int position;  // the most recent error
        DitherGenerator generator;
        Stereo newest;  // the most recent error again, so the next sample need not wait for its store
    };

    // The non-zero taps in ascending order: a zero tap adds only a signed zero to the shaping sum, which
    // cannot change any quantized value or error, so skipping it keeps every result bit-identical.
    struct ActiveTaps {
        std::array<double, kNoiseShapeTaps> tap{};
        std::array<int, kNoiseShapeTaps> delay{};  // k - 1 for tap a_k: 0 is the newest error
        int count = 0;
    };

    // Shaping sums specialised by their number of active taps: the counts of the tap tables (off, type
    // A, types B and C) whose first active tap is a1 (every table has a1 != 0), else kAnyCount.
    static constexpr int kAnyCount = -1;
    int specialisedCount() const {
        const bool startsWithA1 = active_.count > 0 && active_.delay[0] == 0;
        const int c = active_.count;
        return c == 0 || (startsWithA1 && (c == 3 || c == 11 || c == 12)) ? c : kAnyCount;
    }

    // A stretch of samples with the state in locals, for loops that run other work beside the
    // requantizer: take one with run(), step it, and hand it back with finish().
    class Run {
    public:
        // kCount: specialisedCount() at run().
        template <int kCount>
        Stereo step(Stereo y);

    private:
        friend class Requantizer;
        Run(const Running& state, double h, bool autoblack, double autoblackCoefficient, const ActiveTaps& taps,
            Stereo* errors)
            : state_(state), h_(h), autoblack_(autoblack), autoblackCoefficient_(autoblackCoefficient), taps_(&taps),
              errors_(errors) {}
        Running state_;
        double h_;
        bool autoblack_;
        double autoblackCoefficient_;
        const ActiveTaps* taps_;
        Stereo* errors_;
    };
    Run run(double h, bool autoblack, const DitherGenerator& generator) {
        return {Running{autoblackGain_, position_, generator, errors_[static_cast<std::size_t>(position_)]}, h,
                autoblack, autoblackCoefficient_, active_, errors_.data()};
    }
    void finish(const Run& r, DitherGenerator& generator) {
        autoblackGain_ = r.state_.autoblackGain;
        position_ = r.state_.position;
        generator = r.state_.generator;
    }

private:
    NoiseShapeTaps taps_{};
    ActiveTaps active_{};
    // Errors stored twice (at i and i + 12) so the newest 12 are contiguous, newest last.
    std::array<Stereo, 2 * kNoiseShapeTaps> errors_{};
    int position_ = 0;  // the most recent error
    double autoblackGain_ = kAutoblackStart;
    double autoblackCoefficient_ = 0.0;
};

// One channel: v dithered and truncated onto the grid of 1/h. The offset h keeps the argument positive
// for normal signals, so the truncation is a floor. It is done in 64-bit floating point: no integer can
// overflow however loud v is. h is a power of two, so multiplying by 1/h is the exact division.
[[gnu::always_inline]] inline double requantizeSample(double v, double h, DitherGenerator& generator) {
    const double u1 = generator.next();
    const double u2 = generator.next();
    const double d = (u1 + u2) / 2.0;  // triangular, one step peak
    return (std::trunc(v * h + d + h) - h) * (1.0 / h);
}

template <int kCount>
[[gnu::always_inline]] inline Stereo Requantizer::Run::step(Stereo y) {
    Running& r = state_;
    const double level = std::fabs(y.l) > std::fabs(y.r) ? std::fabs(y.l) : std::fabs(y.r);
    if (level > kSilenceLevel || !autoblack_)
        r.autoblackGain = 1.0;
    else
        r.autoblackGain = r.autoblackGain - r.autoblackGain * autoblackCoefficient_;
    r.autoblackGain = flushDenormal(r.autoblackGain);

    // Σ a_k·e[n-k], k = 1..12, newest error first (zero taps skipped).
    const ActiveTaps& taps = *taps_;
    const Stereo* newest = errors_ + r.position + kNoiseShapeTaps;
    const int count = kCount == kAnyCount ? taps.count : kCount;
    double shapeL = 0.0;
    double shapeR = 0.0;
    if (count > 0) {
        const Stereo first = kCount == kAnyCount ? newest[-taps.delay[0]] : r.newest;
        shapeL = taps.tap[0] * first.l;
        shapeR = taps.tap[0] * first.r;
        for (int t = 1; t < count; ++t) {
            const Stereo e = newest[-taps.delay[static_cast<std::size_t>(t)]];
            shapeL += taps.tap[static_cast<std::size_t>(t)] * e.l;
            shapeR += taps.tap[static_cast<std::size_t>(t)] * e.r;
        }
    }
    r.position = r.position + 1 == kNoiseShapeTaps ? 0 : r.position + 1;

    const double vL = y.l + shapeL;
    const double qL = requantizeSample(vL, h_, r.generator);
    const double vR = y.r + shapeR;
    const double qR = requantizeSample(vR, h_, r.generator);
    const Stereo error{qL - vL, qR - vR};
    errors_[r.position] = error;
    errors_[r.position + kNoiseShapeTaps] = error;
    r.newest = error;
    return {qL * r.autoblackGain, qR * r.autoblackGain};
}

}  // namespace zarpa::dsp
