// Our own ITU-R BS.1770 loudness meter (K-weighting, gating, loudness range after EBU Tech 3342) and a
// true-peak detector by polyphase oversampling. The Windows build measures with it; on Linux a test holds
// it against libebur128.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "cli/level_meter.h"

namespace zarpacli {

// The two-stage K-weighting filter of one channel: a high shelf (+4 dB above about 1.7 kHz) and the
// RLB high-pass (about 38 Hz), as biquads designed for any sample rate.
class KWeighting {
public:
    explicit KWeighting(double sampleRate);
    void reset();
    double step(double x);

private:
    struct Biquad {
        double b0, b1, b2, a1, a2;
        double z1 = 0.0, z2 = 0.0;  // transposed direct form II
        double step(double x);
    };
    Biquad shelf_;
    Biquad highPass_;
};

// Band-limited reconstruction between samples: 4x oversampling below 96 kHz, 2x below 192 kHz,
// none above, with a Kaiser-windowed sinc split into phases.
class TruePeakDetector {
public:
    explicit TruePeakDetector(double sampleRate);
    // Takes one sample; returns the largest |value| reconstructed in the interval it ends.
    double step(double x);
    int factor() const { return factor_; }

private:
    static constexpr int kTapsPerPhase = 16;
    int factor_;
    std::vector<double> coefficients_;  // phase p at [p * kTapsPerPhase, (p + 1) * kTapsPerPhase)
    std::array<double, 2 * kTapsPerPhase> history_{};  // doubled ring: a contiguous window at any position
    int position_ = 0;
};

// Gated loudness from 100 ms energy sums: integrated loudness (400 ms blocks every 100 ms, absolute
// gate -70 LUFS, relative gate -10 LU) and loudness range (3 s blocks every second, relative gate
// -20 LU, 10th to 95th percentile).
class GatedLoudness {
public:
    explicit GatedLoudness(double sampleRate);
    // Adds the channel-weighted sum of squared K-weighted samples of one frame.
    void addFrameEnergy(double energy);
    double integratedLufs() const;
    double loudnessRangeLu() const;

private:
    std::vector<double> blockEnergies(int subBlocks, int hop) const;
    int subBlockLength_;
    double partial_ = 0.0;
    int partialCount_ = 0;
    std::vector<double> subBlocks_;  // energy sums of complete 100 ms pieces
};

class Bs1770Analyzer : public LoudnessAnalyzer {
public:
    Bs1770Analyzer(int channels, int sampleRate);
    void add(const double* interleaved, std::size_t frames) override;
    double integratedLufs() override { return gated_.integratedLufs(); }
    double loudnessRangeLu() override { return gated_.loudnessRangeLu(); }
    double truePeak() override { return truePeak_; }

private:
    int channels_;
    std::vector<KWeighting> weighting_;
    std::vector<TruePeakDetector> peaks_;
    GatedLoudness gated_;
    double truePeak_ = 0.0;
};

}  // namespace zarpacli
