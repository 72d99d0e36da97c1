// K-weighting, gating and true peak of our own loudness meter.
#include "cli/bs1770.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zarpacli {

namespace {

constexpr double kAbsoluteGateLufs = -70.0;
constexpr double kIntegratedRelativeGateLu = -10.0;
constexpr double kRangeRelativeGateLu = -20.0;

double loudnessOf(double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); }
double energyOf(double lufs) { return std::pow(10.0, (lufs + 0.691) / 10.0); }

// Modified Bessel function I0, by its power series (converges fast for the window's arguments).
double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

}  // namespace

double KWeighting::Biquad::step(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
}

// The shelf and high-pass are the analog prototypes of the standard's 48 kHz coefficients, brought to
// the given rate by the bilinear transform (f0, gain and Q as published for that re-derivation).
KWeighting::KWeighting(double fs) {
    const double pi = std::numbers::pi;
    {
        const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
        const double k = std::tan(pi * f0 / fs);
        const double vh = std::pow(10.0, gainDb / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + k / q + k * k;
        shelf_ = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                  2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
    {
        const double f0 = 38.13547087602444, q = 0.5003270373238773;
        const double k = std::tan(pi * f0 / fs);
        const double a0 = 1.0 + k / q + k * k;
        highPass_ = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
}

void KWeighting::reset() {
    shelf_.z1 = shelf_.z2 = highPass_.z1 = highPass_.z2 = 0.0;
}

double KWeighting::step(double x) { return highPass_.step(shelf_.step(x)); }

TruePeakDetector::TruePeakDetector(double fs) : factor_(fs < 96000.0 ? 4 : fs < 192000.0 ? 2 : 1) {
    constexpr double kBeta = 7.0;  // Kaiser window: about 70 dB stop band
    // The centre sits on a tap of phase 0, so that phase reproduces the samples themselves.
    const int length = factor_ * kTapsPerPhase;
    const double centre = length / 2;
    std::vector<double> prototype(length);
    for (int i = 0; i < length; ++i) {
        const double t = (i - centre) / factor_;
        const double sinc = t == 0.0 ? 1.0 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
        const double r = (i - centre) / (centre + 1.0);
        prototype[i] = sinc * besselI0(kBeta * std::sqrt(1.0 - r * r)) / besselI0(kBeta);
    }
    // Phase p takes every factor-th tap; each phase is scaled to unity gain at DC.
    coefficients_.assign(length, 0.0);
    for (int p = 0; p < factor_; ++p) {
        double sum = 0.0;
        for (int k = 0; k < kTapsPerPhase; ++k) sum += prototype[k * factor_ + p];
        for (int k = 0; k < kTapsPerPhase; ++k) coefficients_[p * kTapsPerPhase + k] = prototype[k * factor_ + p] / sum;
    }
}

double TruePeakDetector::step(double x) {
    if (factor_ == 1) return std::fabs(x);
    position_ = (position_ + kTapsPerPhase - 1) % kTapsPerPhase;
    history_[position_] = history_[position_ + kTapsPerPhase] = x;
    const double* window = &history_[position_];  // newest first
    double peak = 0.0;
    for (int p = 0; p < factor_; ++p) {
        const double* c = &coefficients_[p * kTapsPerPhase];
        double y = 0.0;
        for (int k = 0; k < kTapsPerPhase; ++k) y += c[k] * window[k];
        peak = std::fmax(peak, std::fabs(y));
    }
    return peak;
}

GatedLoudness::GatedLoudness(double fs) : subBlockLength_(static_cast<int>((fs + 5.0) / 10.0)) {}

void GatedLoudness::addFrameEnergy(double energy) {
    partial_ += energy;
    if (++partialCount_ == subBlockLength_) {
        subBlocks_.push_back(partial_);
        partial_ = 0.0;
        partialCount_ = 0;
    }
}

// Mean squares of blocks of `subBlocks` pieces, one every `hop` pieces, the first ending with the
// first complete block.
std::vector<double> GatedLoudness::blockEnergies(int subBlocks, int hop) const {
    std::vector<double> energies;
    for (std::size_t end = subBlocks; end <= subBlocks_.size(); end += hop) {
        double sum = 0.0;
        for (std::size_t i = end - subBlocks; i < end; ++i) sum += subBlocks_[i];
        energies.push_back(sum / (static_cast<double>(subBlocks) * subBlockLength_));
    }
    return energies;
}

double GatedLoudness::integratedLufs() const {
    const double absoluteGate = energyOf(kAbsoluteGateLufs);
    double sum = 0.0;
    int count = 0;
    const auto blocks = blockEnergies(4, 1);
    for (double e : blocks)
        if (e >= absoluteGate) sum += e, ++count;
    if (count == 0) return -std::numeric_limits<double>::infinity();
    const double relativeGate = sum / count * std::pow(10.0, kIntegratedRelativeGateLu / 10.0);
    sum = 0.0;
    count = 0;
    for (double e : blocks)
        if (e >= absoluteGate && e >= relativeGate) sum += e, ++count;
    return count ? loudnessOf(sum / count) : -std::numeric_limits<double>::infinity();
}

double GatedLoudness::loudnessRangeLu() const {
    const double absoluteGate = energyOf(kAbsoluteGateLufs);
    std::vector<double> kept;
    double sum = 0.0;
    for (double e : blockEnergies(30, 10))
        if (e >= absoluteGate) kept.push_back(e), sum += e;
    if (kept.empty()) return 0.0;
    const double relativeGate = sum / kept.size() * std::pow(10.0, kRangeRelativeGateLu / 10.0);
    std::erase_if(kept, [&](double e) { return e < relativeGate; });
    if (kept.empty()) return 0.0;
    std::sort(kept.begin(), kept.end());
    auto at = [&](double fraction) {
        return kept[static_cast<std::size_t>((kept.size() - 1) * fraction + 0.5)];
    };
    return loudnessOf(at(0.95)) - loudnessOf(at(0.10));
}

Bs1770Analyzer::Bs1770Analyzer(int channels, int sampleRate)
    : channels_(channels), weighting_(channels, KWeighting(sampleRate)), peaks_(channels, TruePeakDetector(sampleRate)),
      gated_(sampleRate) {}

void Bs1770Analyzer::add(const double* interleaved, std::size_t frames) {
    for (std::size_t i = 0; i < frames; ++i) {
        double energy = 0.0;
        for (int c = 0; c < channels_; ++c) {
            const double x = interleaved[i * channels_ + c];
            const double w = weighting_[c].step(x);
            energy += w * w;  // left and right weigh 1.0
            truePeak_ = std::fmax(truePeak_, peaks_[c].step(x));
        }
        gated_.addFrameEnergy(energy);
    }
}

}  // namespace zarpacli
