// Meter values: the kernel-side accumulator of peaks, mean squares and gain-reduction minima, and the
// lock-free hand-over of those values to the editor's thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/dsp/half_sample_interpolator.h"
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

    // One chunk of n (1..64) samples: the delayed dry input times inputGain for the input meters, the
    // gain-reduction display values, and the output y before requantization and clip. With oversampling
    // the output meters also catch the peaks between samples and lag the output by 31 samples.
    struct ChunkInput {
        const double* dryL;
        const double* dryR;
        double inputGain;
        const double* displayL;
        const double* displayR;
        const double* yL;
        const double* yR;
        bool oversampled;
    };
    void accumulate(const ChunkInput& in, int n);

    // Calibration noise: the channel's input and output meters both show the noise value y.
    void noiseChannel(int channel, double y);
    // Calibration noise: the silent channel's meters read 0.
    void silentChannel(int channel);

    const MeterLevels& levels() const { return levels_; }

private:
    // Peaks compare the magnitude rounded to 32-bit precision.
    static double peakValue(double x) { return static_cast<float>(x < 0 ? -x : x); }

    static void accumulate(double x, double& peak, double& meanSquare, double k) {
        const double magnitude = peakValue(x);
        if (magnitude > peak) peak = magnitude;
        meanSquare += (x * x - meanSquare) * k;
    }
    static void holdPeak(double x, double& peak) {
        if (peakValue(x) > peak) peak = peakValue(x);
    }
    static void holdMinimum(double g, double& gain) {
        if (g < gain) gain = g;
    }

    MeterLevels levels_;
    HalfSampleInterpolator oversampler_;
    std::array<double, HalfSampleInterpolator::kMaxChunk> centreL_{}, centreR_{}, halfL_{}, halfR_{};
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
