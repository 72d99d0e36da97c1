// The requantizer: word-length reduction to 8, 16 or 24 bits with triangular dither, error-feedback
// noise shaping and the auto-black fade to digital silence.
#pragma once

#include <array>

#include "engine/dsp/dither_generator.h"
#include "engine/dsp/noise_shape_taps.h"
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

    // One sample with kCount active taps (or kAnyCount: taps.count). errors: the ring, stored twice.
    // With a fixed count the first active tap must be a1 (every table has a1 != 0): its error is then
    // taken from Running::newest.
    static constexpr int kAnyCount = -1;
    template <int kCount>
    static Stereo stepWith(Running& r, Stereo y, double h, bool autoblack, double autoblackCoefficient,
                           const ActiveTaps& taps, Stereo* errors);

private:
    NoiseShapeTaps taps_{};
    ActiveTaps active_{};
    // Errors stored twice (at i and i + 12) so the newest 12 are contiguous, newest last.
    std::array<Stereo, 2 * kNoiseShapeTaps> errors_{};
    int position_ = 0;  // the most recent error
    double autoblackGain_ = kAutoblackStart;
    double autoblackCoefficient_ = 0.0;
};

}  // namespace zarpa::dsp
