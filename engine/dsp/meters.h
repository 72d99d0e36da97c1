// Meter values: the kernel-side accumulator of peaks, mean squares and gain-reduction minima, and the
// lock-free hand-over of those values to the editor's thread.
#pragma once

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>

#include "engine/dsp/half_sample_interpolator.h"
#include "engine/dsp/simd.h"
#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

struct MeterLevels {
    std::array<double, 2> inputPeak{};
    std::array<double, 2> outputPeak{};
    std::array<double, 2> inputMeanSquare{};
    std::array<double, 2> outputMeanSquare{};
    std::array<double, 2> gain{1.0, 1.0};  // smallest gain-reduction display value, 1 = none
};

// Audio thread only.
class MeterAccumulator {
public:
    void setMeanSquareCoefficient(double k) { meanSquareCoefficient_ = k; }

    void reset();
    void restartHolds();  // peaks to 0 and gains to 1: the editor has shown them
    void restartGains() { levels_.gain = {1.0, 1.0}; }

    // The levels held in locals while the kernel runs a chunk: run() copies them out, the kernel steps
    // them inside its own per-sample loops (so their recurrences overlap with other work), and finish()
    // puts them back. The meters compare peak magnitudes rounded to 32-bit precision; the rounding keeps
    // the order of values, so a run holds the largest magnitude as it is and rounds it once, in levels():
    // the same value as rounding every sample's (a held peak is already rounded, so unchanged by it).
    class Run {
    public:
        Run(const MeterLevels& levels, double k)
            : inputPeak_(pair(levels.inputPeak)), outputPeak_(pair(levels.outputPeak)),
              inputMeanSquare_(pair(levels.inputMeanSquare)), outputMeanSquare_(pair(levels.outputMeanSquare)),
              gain_(pair(levels.gain)), k_(k) {}

        // The input as the input meters see it: the delayed dry input times the input-meter gain.
        [[gnu::always_inline]] void input(Stereo dry, double gain) {
            accumulate(simd::pair(dry) * gain, inputPeak_, inputMeanSquare_);
        }
        [[gnu::always_inline]] void gainReduction(Stereo g) {
            const simd::Pair v = simd::pair(g);
            gain_ = v < gain_ ? v : gain_;
        }
        // y: the output before requantization and clip (with oversampling, the sample 31 back).
        [[gnu::always_inline]] void output(Stereo y) { accumulate(simd::pair(y), outputPeak_, outputMeanSquare_); }
        // The same meters in two parts, for loops that take a chunk's peaks all at once: peak magnitudes
        // to hold, and one sample's squares x·x for the mean squares.
        [[gnu::always_inline]] void holdPeaks(Stereo input, Stereo output) {
            const simd::Pair in = simd::pair(input), out = simd::pair(output);
            inputPeak_ = in > inputPeak_ ? in : inputPeak_;
            outputPeak_ = out > outputPeak_ ? out : outputPeak_;
        }
        // The mean squares as one vector (input left, right, output left, right), and back.
        [[gnu::always_inline]] void meanSquares(simd::Lanes& v) const {
            v = simd::Lanes{inputMeanSquare_[0], inputMeanSquare_[1], outputMeanSquare_[0], outputMeanSquare_[1]};
        }
        [[gnu::always_inline]] void setMeanSquares(const simd::Lanes& v) {
            inputMeanSquare_ = simd::Pair{v[0], v[1]};
            outputMeanSquare_ = simd::Pair{v[2], v[3]};
        }
        double meanSquareCoefficient() const { return k_; }
        // With oversampling: the half-sample points before the samples given to output().
        [[gnu::always_inline]] void outputBetween(Stereo half) { holdPeak(simd::pair(half), outputPeak_); }
        void noise(int channel, double y) {
            simd::Pair v = outputPeak_;  // the other channel's lane is left as it is
            v[channel] = y;
            simd::Pair peak = outputPeak_, meanSquare = outputMeanSquare_;
            accumulate(v, peak, meanSquare);
            outputPeak_[channel] = peak[channel];
            outputMeanSquare_[channel] = meanSquare[channel];
            inputPeak_[channel] = outputPeak_[channel];
            inputMeanSquare_[channel] = outputMeanSquare_[channel];
        }

        MeterLevels levels() const {
            MeterLevels m;
            const simd::Pair input = simd::roundedToFloat(inputPeak_), output = simd::roundedToFloat(outputPeak_);
            m.inputPeak = {input[0], input[1]};
            m.outputPeak = {output[0], output[1]};
            m.inputMeanSquare = {inputMeanSquare_[0], inputMeanSquare_[1]};
            m.outputMeanSquare = {outputMeanSquare_[0], outputMeanSquare_[1]};
            m.gain = {gain_[0], gain_[1]};
            return m;
        }

    private:
        static simd::Pair pair(const std::array<double, 2>& v) { return simd::Pair{v[0], v[1]}; }
        // The largest magnitude so far, per channel (rounded in levels()).
        [[gnu::always_inline]] static void holdPeak(simd::Pair x, simd::Pair& peak) {
            const simd::Pair magnitude = simd::magnitude(x);
            peak = magnitude > peak ? magnitude : peak;
        }
        [[gnu::always_inline]] void accumulate(simd::Pair x, simd::Pair& peak, simd::Pair& meanSquare) const {
            holdPeak(x, peak);
            meanSquare += (x * x - meanSquare) * k_;
        }

        simd::Pair inputPeak_, outputPeak_, inputMeanSquare_, outputMeanSquare_, gain_;
        double k_;
    };
    Run run() const { return {levels_, meanSquareCoefficient_}; }
    void finish(const Run& r) { levels_ = r.levels(); }

    // The output meters' oversampling: the kernel appends each chunk of output and steps the sums
    // beside its own per-sample work, giving output() the samples 31 back and outputBetween() the
    // half-sample points before them.
    HalfSampleInterpolator& oversampler() { return oversampler_; }

    // Calibration noise: the channel's input and output meters both show the noise value y.
    void noiseChannel(int channel, double y);
    // Calibration noise: the silent channel's meters read 0.
    void silentChannel(int channel);

    const MeterLevels& levels() const { return levels_; }

private:
    MeterLevels levels_;
    HalfSampleInterpolator oversampler_;
    double meanSquareCoefficient_ = 0.0;
};

// Hand-over: the audio thread publishes the levels after every block; getMeterValues reads them and
// acknowledges the publication it saw. The holds restart at the next block only when the editor saw
// the latest publication, so a peak is never lost between two reads (at worst shown twice).
class MeterExchange {
public:
    // Editor thread (no lock): input peak L, R, output peak L, R, input level L, R, output level L, R,
    // gain L, R. A level is √(2·mean square), so a full-scale sine reads 1.
    void read(float values[10]);

    // Editor thread: how many blocks have published levels so far (wraps). An unchanged count between two
    // reads means the host has stopped calling process.
    std::uint32_t publicationCount() const { return published_.load(std::memory_order_relaxed); }

    // Audio thread.
    void publish(const MeterLevels& levels);
    // True once per read of the latest publication: the holds should restart.
    bool readSinceLastPublication() const {
        return acknowledged_.load(std::memory_order_relaxed) == published_.load(std::memory_order_relaxed);
    }

private:
    std::array<std::atomic<double>, 10> values_{};
    std::atomic<std::uint32_t> published_{0};
    std::atomic<std::uint32_t> acknowledged_{~0u};
};

}  // namespace zarpa::dsp
