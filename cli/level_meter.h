// The figures of the render report for one signal: sample peak, true peak (ITU-R BS.1770), integrated
// loudness and loudness range (EBU R 128 / Tech 3342), and duration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zarpacli {

struct LevelFigures {
    double samplePeak = 0.0;  // linear, the largest |sample| of any channel
    std::vector<double> channelPeaks;  // linear, the largest |sample| of each channel
    double truePeak = 0.0;    // linear, the largest reconstructed value of any channel
    double integratedLufs = 0.0;  // -infinity when every block is gated out (silence, or too short)
    double loudnessRangeLu = 0.0;
    double durationSeconds = 0.0;
    std::int64_t frames = 0;
    std::int64_t nonFiniteSamples = 0;  // NaN and infinite samples, measured as silence
};

// 20·log10(linear); -infinity for 0.
double decibels(double linear);

// Loudness and true peak; one implementation wraps libebur128, the other is our own (Windows build).
class LoudnessAnalyzer {
public:
    virtual ~LoudnessAnalyzer() = default;
    virtual void add(const double* interleaved, std::size_t frames) = 0;
    virtual double integratedLufs() = 0;
    virtual double loudnessRangeLu() = 0;
    virtual double truePeak() = 0;  // linear, max over channels
};

// The analyzer this build uses (libebur128 where available).
std::unique_ptr<LoudnessAnalyzer> makeLoudnessAnalyzer(int channels, int sampleRate);

class LevelMeter {
public:
    LevelMeter(int channels, int sampleRate);
    void add(const double* interleaved, std::size_t frames);
    LevelFigures figures();

private:
    int channels_;
    int sampleRate_;
    double samplePeak_ = 0.0;
    std::vector<double> channelPeaks_;
    std::int64_t frames_ = 0;
    std::int64_t nonFinite_ = 0;
    std::vector<double> finite_;  // a block with its non-finite samples silenced
    std::unique_ptr<LoudnessAnalyzer> analyzer_;
};

}  // namespace zarpacli
