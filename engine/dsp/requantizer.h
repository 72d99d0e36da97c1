// The requantizer: word-length reduction to 8, 16 or 24 bits with triangular dither, error-feedback
// noise shaping and the auto-black fade to digital silence.
#pragma once

#include <array>
#include <cmath>
#include <cstring>

#include "engine/dsp/dither_generator.h"
#include "engine/dsp/noise_shape_taps.h"
#include "engine/dsp/one_pole.h"
#include "engine/dsp/simd.h"
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

    // The running state of a stretch of samples, held in locals (registers) by the loops that step it.
    struct State {
        double autoblackGain;
        int position;  // the most recent error
        DitherGenerator generator;  // drawing inside the loop
        const Stereo* drawn;        // or the next sample's dither, drawn beforehand
        simd::Pair newest;  // the most recent error again, so the next sample need not wait for its store
    };

    // The non-zero taps in ascending order: a zero tap adds only a signed zero to the shaping sum, which
    // cannot change any quantized value or error, so skipping it keeps every result bit-identical.
    struct ActiveTaps {
        std::array<double, kNoiseShapeTaps> tap{};
        std::array<int, kNoiseShapeTaps> delay{};  // k - 1 for tap a_k: 0 is the newest error
        int count = 0;
    };

    // Shaping sums specialised by their number of active taps: the counts of the tap tables (off, type
    // A, types B and C) when the active taps are a1..a_count without a gap (so in every table), else
    // kAnyCount.
    static constexpr int kAnyCount = -1;
    int specialisedCount() const {
        const int c = active_.count;
        const bool prefix = c == 0 || active_.delay[static_cast<std::size_t>(c - 1)] == c - 1;  // delays ascend from 0
        return prefix && (c == 0 || c == 3 || c == 11 || c == 12) ? c : kAnyCount;
    }

    // A stretch of samples with the state in locals, for loops that run other work beside the
    // requantizer: take one with run(), step it, and hand it back with finish(). The dither is drawn
    // inside the loop, where the generator's steps overlap the error-feedback recurrence, or, for loops
    // whose other work leaves no room for them, beforehand for the whole stretch
    // (DitherGenerator::triangularChunk, whose steps run side by side).
    class Run {
    public:
        // kCount: specialisedCount() at run(). kDrawn: the dither comes from the pairs given to run().
        template <int kCount, bool kDrawn>
        Stereo step(Stereo y);

    private:
        friend class Requantizer;
        Run(const State& state, double h, bool autoblack, double autoblackCoefficient, const ActiveTaps& taps,
            Stereo* errors)
            : state_(state), h_(h), gridStep_(1.0 / h), autoblack_(autoblack),
              autoblackCoefficient_(autoblackCoefficient), taps_(&taps), errors_(errors),
              drawnAhead_(state.drawn != nullptr) {}
        State state_;
        double h_;
        double gridStep_;  // 1/h, exact
        bool autoblack_;
        double autoblackCoefficient_;
        const ActiveTaps* taps_;
        Stereo* errors_;
        bool drawnAhead_;  // the dither came with run(): the generator has taken its draws already
    };
    // drawn: null, or the dither already drawn from generator, one pair for each sample the run steps.
    Run run(double h, bool autoblack, const DitherGenerator& generator, const Stereo* drawn = nullptr) {
        scaleErrorsTo(h);
        const Stereo newest = errors_[static_cast<std::size_t>(position_)];
        return {State{autoblackGain_, position_, generator, drawn, simd::pair(newest)}, h, autoblack,
                autoblackCoefficient_, active_, errors_.data()};
    }
    // generator: the one given to run(); it takes the run's draws unless they were drawn beforehand.
    void finish(const Run& r, DitherGenerator& generator) {
        autoblackGain_ = r.state_.autoblackGain;
        position_ = r.state_.position;
        if (!r.drawnAhead_) generator = r.state_.generator;
    }

private:
    // The stored errors in units of the grid step 1/h (see Run::step); a word-length change rescales
    // them, by a power of two, so exactly.
    void scaleErrorsTo(double h) {
        if (h == errorScale_) return;
        const double ratio = h / errorScale_;
        for (Stereo& e : errors_) e = {e.l * ratio, e.r * ratio};
        errorScale_ = h;
    }

    NoiseShapeTaps taps_{};
    ActiveTaps active_{};
    // Errors stored twice (at i and i + 12) so the newest 12 are contiguous, newest last.
    std::array<Stereo, 2 * kNoiseShapeTaps> errors_{};
    double errorScale_ = 32768.0;  // the h the stored errors are multiplied by
    int position_ = 0;  // the most recent error
    double autoblackGain_ = kAutoblackStart;
    double autoblackCoefficient_ = 0.0;
};

template <int kCount, bool kDrawn>
[[gnu::always_inline]] inline Stereo Requantizer::Run::step(Stereo y) {
    using simd::Pair;
    State& r = state_;
    if (autoblack_) {
        const double level = std::fabs(y.l) > std::fabs(y.r) ? std::fabs(y.l) : std::fabs(y.r);
        r.autoblackGain = level > kSilenceLevel
                              ? 1.0
                              : flushDenormal(r.autoblackGain - r.autoblackGain * autoblackCoefficient_);
    } else {
        r.autoblackGain = 1.0;
    }

    // The written step is v = y + Σ a_k·e[n-k], q = (trunc(v·h + d + h) - h)·(1/h), e[n] = q - v. Here
    // every value on the error-feedback chain is kept multiplied by h, a power of two: scaling by a
    // power of two commutes with each rounding, so the results are the same bits (for every value
    // that is not subnormal), and the chain from one error to the next loses its two multiplications
    // by h and 1/h. Both channels side by side.
    const Pair h = Pair{} + h_;
    const Pair scaled = Pair{y.l, y.r} * h;

    // Σ a_k·e[n-k], k = 1..12, newest error first (zero taps skipped).
    const ActiveTaps& taps = *taps_;
    const Stereo* newest = errors_ + r.position + kNoiseShapeTaps;
    const int count = kCount == kAnyCount ? taps.count : kCount;
    Pair shape = {};
    const auto error = [&](int t) __attribute__((always_inline)) {
        Pair e;
        std::memcpy(&e, newest - (kCount == kAnyCount ? taps.delay[static_cast<std::size_t>(t)] : t), sizeof e);
        return e;
    };
    if (count > 0) {
        shape = taps.tap[0] * (kCount == kAnyCount ? error(0) : r.newest);
        for (int t = 1; t < count; ++t) shape += taps.tap[static_cast<std::size_t>(t)] * error(t);
    }
    r.position = r.position + 1 == kNoiseShapeTaps ? 0 : r.position + 1;

    // Dithered and truncated onto the integers; the offset h keeps the argument positive for normal
    // signals, so the truncation is a floor. All in 64-bit floating point: no integer can overflow
    // however loud v is.
    const Pair v = scaled + shape;
    Pair d;  // triangular, one step peak
    if constexpr (kDrawn) {
        std::memcpy(&d, r.drawn++, sizeof d);
    } else {
        d = simd::pair(r.generator.triangular());
    }
    const Pair x = v + d + h;
    const Pair q = simd::truncated(x) - h;
    const Pair e = q - v;
    std::memcpy(static_cast<void*>(errors_ + r.position), &e, sizeof e);
    std::memcpy(static_cast<void*>(errors_ + r.position + kNoiseShapeTaps), &e, sizeof e);
    r.newest = e;
    const Pair out = q * gridStep_ * r.autoblackGain;
    return {out[0], out[1]};
}

}  // namespace zarpa::dsp
