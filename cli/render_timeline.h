// The render over time, for the report and the plot: per 10 ms window the input and output peaks and the
// gain reduction, per 100 ms the momentary (400 ms) and short-term (3 s) loudness of both sides.
//
// Gain reduction is what the plug-in took away beyond its static gain. zarpa is a host and sees only
// audio, so it derives it from the latency-aligned input x and output y of each 10 ms window and the
// gain G the plug-in applies when it does not limit (Drive times Output, or Output alone with AutoOut,
// read from the parameter displays): GR = 10·log10(G²·Σx² / Σy²) dB, 0 where that is negative.
// Windows whose input after G is below -70 dBFS (RMS) are quiet: they count neither as limiting nor
// towards the average. The leveller's slow gain counts as reduction too.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cli/bs1770.h"

namespace zarpacli {

struct TimelineWindow {
    float inputPeak = 0.0f, outputPeak = 0.0f;  // linear, largest |sample| of any channel
    float gainReductionDb = 0.0f;
    bool quiet = true;
};

struct LoudnessPoint {
    float inputMomentary, outputMomentary;    // LUFS; -infinity before 400 ms of audio
    float inputShortTerm, outputShortTerm;    // LUFS; -infinity before 3 s of audio
};

struct GainReductionFigures {
    bool measured = false;     // false where the static gain is unknown (Power off, Calibrate on)
    double largestDb = 0.0;
    double averageDb = 0.0;    // over the windows that are not quiet
    double limitingShare = 0.0;  // share of those windows with at least 0.1 dB of reduction
};

struct TimelineSummary {
    GainReductionFigures gainReduction;
    double inputMaxMomentary, outputMaxMomentary;    // LUFS, -infinity when never defined
    double inputMaxShortTerm, outputMaxShortTerm;
};

// Short-window loudness of one signal: K-weighted energy in 100 ms blocks, then the mean over the last
// 4 (momentary) or 30 (short-term) blocks.
class ShortWindowLoudness {
public:
    ShortWindowLoudness(int channels, int sampleRate);
    // Adds one frame; returns true when it completed a 100 ms block.
    bool add(const double* frame);
    float momentary() const { return windowLoudness(4); }
    float shortTerm() const { return windowLoudness(30); }

private:
    float windowLoudness(std::size_t blocks) const;
    int channels_;
    int blockLength_;
    std::vector<KWeighting> weighting_;
    double energy_ = 0.0;
    int count_ = 0;
    std::vector<double> blocks_;  // mean squares of the complete blocks
};

class RenderTimeline {
public:
    static constexpr double kWindowSeconds = 0.01;
    static constexpr double kLoudnessHopSeconds = 0.1;

    // staticGainDb: the plug-in's gain without limiting; nullopt when it cannot be known.
    RenderTimeline(int channels, int sampleRate, std::optional<double> staticGainDb);
    // Input and output frames, interleaved; either side may run ahead of the other.
    void addInput(const double* interleaved, std::size_t frames);
    void addOutput(const double* interleaved, std::size_t frames);

    int sampleRate() const { return sampleRate_; }
    int windowLength() const { return windowLength_; }
    const std::vector<TimelineWindow>& windows() const { return windows_; }  // complete windows of both sides
    const std::vector<LoudnessPoint>& loudness() const { return loudness_; }  // one per 100 ms
    bool gainReductionMeasured() const { return gain_.has_value(); }
    TimelineSummary summary() const;

private:
    struct Side {
        std::vector<float> peak, energy;  // per window
        double windowPeak = 0.0, windowEnergy = 0.0;
        int inWindow = 0;
        std::vector<float> momentary, shortTerm;  // per 100 ms
    };
    void add(Side& side, ShortWindowLoudness& meter, const double* interleaved, std::size_t frames);
    void completeWindows();

    int channels_;
    int sampleRate_;
    int windowLength_;
    std::optional<double> gain_;  // linear
    Side in_, out_;
    ShortWindowLoudness inLoudness_, outLoudness_;
    std::vector<TimelineWindow> windows_;
    std::vector<LoudnessPoint> loudness_;
};

}  // namespace zarpacli
