// The output stage of the limiter kernel: for a chunk whose gains are computed, the look-ahead delay,
// Power, the input, gain-reduction and output meters, the requantizer and the clip.
#pragma once

#include "engine/dsp/gain_computer.h"
#include "engine/dsp/half_sample_interpolator.h"
#include "engine/dsp/meters.h"
#include "engine/dsp/peak_detector.h"
#include "engine/dsp/requantizer.h"
#include "engine/dsp/stereo_delay.h"

namespace zarpa::dsp {

// What the output loop of a chunk reads and steps.
struct OutputStages {
    StereoDelay& lookAhead;
    MeterAccumulator& meters;
    const DetectorChunk& detected;
    const GainChunk& gains;
    const double* dryL;
    const double* dryR;
    const double* output;  // smoothed output gain
    const double* displayL;
    const double* displayR;
    bool power;
    double inputMeterGain;
};

// The requantizer's tap count for the loops: Requantizer::specialisedCount(), or none when quantize is off.
inline constexpr int kNoRequantizer = -2;
inline int tapCount(const Requantizer& requantizer, bool quantize) {
    return quantize ? requantizer.specialisedCount() : kNoRequantizer;
}

// With plain output meters: the whole stage in one loop, giving y (before requantizer and clip) and,
// with taps, the requantized values q.
void limitedOutput(int taps, const OutputStages& st, int n, double* yL, double* yR, Requantizer::Run& q,
                   double* qL, double* qR);

// The peaks of a chunk: the largest input (as the input meters see it) and output magnitudes, and the
// smallest gain-reduction value.
struct ChunkPeaks {
    Stereo input, output, gain;
};

// Without requantizer and with plain output meters, nothing in the output stage needs a loop a sample
// at a time but the meters' mean squares, a recurrence: unmeteredSamples() gives y four samples at a time
// with the chunk's peaks (the largest and smallest of a set are the same in any order) and each sample's
// squares, four per sample (input left, right, output left, right); the mean squares step through
// them later, beside the next chunk's followers (ChunkMeters).
ChunkPeaks unmeteredSamples(const OutputStages& st, int n, double* yL, double* yR, double* squares);

// The mean squares of a chunk left by unmeteredSamples, as one vector a sample at a time, for a loop
// that steps them beside the next chunk's followers so that the recurrences overlap. Each ends where
// limitedOutput would leave it. n = 0: none.
struct UnmeteredChunk {
    int n = 0;
    const double* squares = nullptr;
};
class ChunkMeters {
public:
    ChunkMeters(MeterAccumulator& meters, const UnmeteredChunk& chunk) : run_(meters.run()), squares_(chunk.squares) {
        run_.meanSquares(meanSquares_);
        k_ = simd::Lanes{} + run_.meanSquareCoefficient();
    }
    [[gnu::always_inline]] void step(int i) {
        simd::Lanes square;
        simd::load(square, squares_ + 4 * i);
        meanSquares_ += (square - meanSquares_) * k_;
    }
    void finish(MeterAccumulator& meters) {
        run_.setMeanSquares(meanSquares_);
        meters.finish(run_);
    }

private:
    MeterAccumulator::Run run_;
    simd::Lanes meanSquares_, k_;
    const double* squares_;
};

// With oversampled output meters the stage runs in two loops: limitedSamples() gives y and hands it to
// the meters' interpolator, requantizedOutput() steps the requantizer and the meters.
void limitedSamples(const OutputStages& st, int n, double* yL, double* yR);
// Sums the second loop runs for the next chunk of the block: the half-sample points of its peak
// detector, whose interpolator already holds the chunk. Only a block's last chunk can be short, so the
// next chunk is never longer than this one: its sums run in this one's groups
// (a vector of samples each).
struct SumsAhead {
    const HalfSampleInterpolator* interpolator;
    double* halfL;
    double* halfR;
};

// ahead: the next chunk's detector sums to run beside the requantizer, or null. q's dither is drawn
// beforehand (Requantizer::run with the chunk's pairs): the sums leave no room for the generator.
void requantizedOutput(int taps, const OutputStages& st, int n, const double* yL, const double* yR,
                       Requantizer::Run& q, double* qL, double* qR, const SumsAhead* ahead);

// Clips y to full scale and stores it as T, right channel first: with one output buffer for both, the
// left result stays.
template <typename T>
void clipAndStore(const double* yL, const double* yR, int n, T* outL, T* outR);

}  // namespace zarpa::dsp
