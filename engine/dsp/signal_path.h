// The whole per-sample signal path of one instance: every stage, its rate-dependent coefficients and
// the two kernels (limiter and calibration noise), shared by the 32-bit and 64-bit entries.
#pragma once

#include <array>
#include <cstddef>

#include "engine/dsp/calibration_noise.h"
#include "engine/dsp/gain_computer.h"
#include "engine/dsp/gain_stages.h"
#include "engine/dsp/meters.h"
#include "engine/dsp/output_stage.h"
#include "engine/dsp/peak_detector.h"
#include "engine/dsp/rate_config.h"
#include "engine/dsp/requantizer.h"
#include "engine/dsp/stereo_delay.h"

namespace zarpa::dsp {

// The parameter values one block runs with, loaded once at its start.
struct BlockSettings {
    double driveTarget = 1.0;
    double outputTarget = 1.0;
    bool autoOut = false;
    double levellerThreshold = 1.0;
    bool levellerOff = true;
    bool oversample = false;
    double link = 1.0;
    bool twoStageFollowers = false;
    double transientMix = 0.02;
    bool power = true;
    int attShow = 7;  // bit 1: followers' share, bit 2: transient envelope's share, bit 4: leveller's
    bool postMeter = false;
    bool meterOversample = false;
    bool quantize = false;
    double quantizerScale = 32768.0;  // h = 2^(bits-1)
    bool autoblack = false;
};

// What the drive stage gives a chunk.
struct DrivenChunk {
    static constexpr int kMax = DetectorChunk::kMax;
    std::array<double, kMax> uL, uR;      // the driven signal u
    std::array<double, kMax> dryL, dryR;  // the input delayed by the latency
    std::array<double, kMax> level;       // leveller gain
    // With the leveller off its gain is 1 whatever its average, so the average's steps over the chunk's
    // peak levels a can wait for the chunk's own followers' loop: then a is kept here.
    std::array<double, kMax> levelInput;
    bool levellerDeferred = false;
    std::array<double, kMax> output;      // smoothed output gain
};

class SignalPath;

// The limiter kernel as compiled for one instruction set: its two entries, and the size of SignalPath
// as that copy sees it (the copies share the object, so their layouts must agree). Each copy has its
// own namespace and so its own names for SignalPath and BlockSettings: the entries take them untyped.
struct LimiterKernel {
    void (*limitFloat)(void* path, const float* inL, const float* inR, float* outL, float* outR, int frames,
                       const void* settings);
    void (*limitDouble)(void* path, const double* inL, const double* inR, double* outL, double* outR, int frames,
                        const void* settings);
    std::size_t pathSize;
    // This build's half-sample sums alone (halfSampleSums): the benchmarks set the cost of the two
    // interpolators (detector and output meters) beside the whole kernel's.
    void (*halfSampleSums)(const double* x, int n, double* out);
};

// Not thread-safe: everything runs on the audio thread or under the instance lock.
class SignalPath {
public:
    // Every buffer at full capacity, set up for config, then reset with unity gains.
    SignalPath(const RateConfig& config, double releaseMs);

    // Rate change: lengths, every rate-dependent coefficient, the transient kernel and the
    // noise-shaping taps for noiseShapeStep. Follow with reset().
    void setRate(const RateConfig& config, double releaseMs, int noiseShapeStep);
    // Window change (transient shape): N, M and the transient kernel. Follow with reset().
    void setWindow(const RateConfig& config);
    void setReleaseMs(double releaseMs) { followerCoefficients_.setRelease(releaseMs, config_.fs); }
    void selectNoiseShape(int step) { requantizer_.selectShape(step, config_.rate); }

    // Every state back to its start; the gain glides start at their targets.
    void reset(double driveTarget, double outputTarget);

    // The limiter, run by the kernel built for this processor (instruction_set.h).
    template <typename T>
    void processLimiter(const T* inL, const T* inR, T* outL, T* outR, int frames, const BlockSettings& s);
    template <typename T>
    void processCalibration(T* outL, T* outR, int frames, CalibrationMode mode, double level);

    // The limiter once more, one sample at a time through every stage in signal order: the readable
    // form of the path (reference_path.cpp), which the tests hold processLimiter to bit for bit. The
    // plug-in never runs it.
    template <typename T>
    void processReference(const T* inL, const T* inR, T* outL, T* outR, int frames, const BlockSettings& s);

    const RateConfig& config() const { return config_; }
    MeterAccumulator& meters() { return meters_; }

    // The kernel of the instruction set this translation unit was compiled for (limiter_kernel.cpp).
    static LimiterKernel compiledKernel();

private:
    static constexpr int kChunk = DetectorChunk::kMax;

    using Driven = DrivenChunk;

    // The limiter kernel: the block in chunks, each in signal order.
    template <typename T>
    void limitBlock(const T* inL, const T* inR, T* outL, T* outR, int frames, const BlockSettings& s);

    // The input of the block's next chunk (n = 0: none).
    template <typename T>
    struct NextChunk {
        const T* inL;
        const T* inR;
        int n;
    };

    // The drive stage of n samples: gain glides, dry delay, leveller and u.
    template <typename T>
    void drive(const T* inL, const T* inR, int n, const BlockSettings& s, double outputTarget, Driven& out);

    // The gain computer over the chunk d of n samples, with the next chunk's drive stage (into
    // nextDriven), d's own deferred leveller steps and the last chunk's mean squares stepped beside its
    // followers.
    template <typename T>
    void gainsAndNextDrive(const Driven& d, int n, const NextChunk<T>& next, const BlockSettings& s,
                           double outputTarget, Driven& nextDriven);

    // One chunk of the limiter, in signal order, from its driven signal d: the detector and gain computer
    // over the chunk, the limited output with its meters and requantizer, then the clip. The next
    // chunk's drive stage runs in it (into nextDriven), and with oversampling its detector's
    // interpolation too, beside the requantizer (then interpolated is set for the next call).
    template <typename T>
    void limitChunk(const Driven& d, Driven& nextDriven, const NextChunk<T>& next, bool& interpolated, T* outL,
                    T* outR, int n, const BlockSettings& s, double outputTarget, double inputMeterGain);

    // Per-chunk values between the later stages.
    struct Chunk {
        std::array<double, kChunk> displayL, displayR;  // gain-reduction display values
        std::array<double, kChunk> yL, yR;              // output before requantizer and clip
        std::array<double, kChunk> qL, qR;              // requantized output
        std::array<double, 4 * kChunk> squares;  // an unmetered chunk's, for its mean squares
        std::array<Stereo, kChunk> dither;        // the requantizer's, drawn for the chunk at once
    };

    RateConfig config_;
    FollowerCoefficients followerCoefficients_;
    GainGlide drive_;
    GainGlide output_;
    StereoDelay dry_;
    Leveller leveller_;
    PeakDetector detector_;
    StereoDelay lookAhead_;
    GainComputer gain_;
    MeterAccumulator meters_;
    DitherGenerator dither_;
    std::array<Driven, 2> driven_{};  // this chunk's and the next one's
    UnmeteredChunk unmetered_{};      // the last chunk, when its meters run beside this chunk's followers
    Chunk chunk_{};
    DetectorChunk detected_{};
    GainChunk gains_{};
    Requantizer requantizer_;
    CalibrationNoise calibration_;
};

}  // namespace zarpa::dsp
