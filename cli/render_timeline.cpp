// Windowed levels, short-window loudness and gain reduction of a render.
#include "cli/render_timeline.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zarpacli {

namespace {

constexpr double kQuietMeanSquare = 1e-7;  // -70 dBFS RMS
constexpr double kLimitingDb = 0.1;        // less is rounding and dither, not limiting
constexpr double kMostReductionDb = 120.0; // a window the plug-in silenced completely
constexpr float kNoLoudness = -std::numeric_limits<float>::infinity();

double maxOf(const std::vector<float>& values) {
    double m = -std::numeric_limits<double>::infinity();
    for (float v : values) m = std::max(m, static_cast<double>(v));
    return m;
}

}  // namespace

ShortWindowLoudness::ShortWindowLoudness(int channels, int sampleRate)
    : channels_(channels), blockLength_(std::max(1, sampleRate / 10)),
      weighting_(static_cast<std::size_t>(channels), KWeighting(sampleRate)) {}

bool ShortWindowLoudness::add(const double* frame) {
    for (int c = 0; c < channels_; ++c) {
        const double k = weighting_[c].step(frame[c]);
        energy_ += k * k;
    }
    if (++count_ < blockLength_) return false;
    blocks_.push_back(energy_ / blockLength_);
    energy_ = 0.0;
    count_ = 0;
    return true;
}

float ShortWindowLoudness::windowLoudness(std::size_t blocks) const {
    if (blocks_.size() < blocks) return kNoLoudness;
    double sum = 0.0;
    for (std::size_t i = blocks_.size() - blocks; i < blocks_.size(); ++i) sum += blocks_[i];
    const double meanSquare = sum / static_cast<double>(blocks);
    return meanSquare > 0.0 ? static_cast<float>(-0.691 + 10.0 * std::log10(meanSquare)) : kNoLoudness;
}

RenderTimeline::RenderTimeline(int channels, int sampleRate, std::optional<double> staticGainDb)
    : channels_(channels), sampleRate_(sampleRate),
      windowLength_(std::max(1, static_cast<int>(std::lround(sampleRate * kWindowSeconds)))),
      inLoudness_(channels, sampleRate), outLoudness_(channels, sampleRate) {
    if (staticGainDb) gain_ = std::pow(10.0, *staticGainDb / 20.0);
}

void RenderTimeline::addInput(const double* interleaved, std::size_t frames) {
    add(in_, inLoudness_, interleaved, frames);
}

void RenderTimeline::addOutput(const double* interleaved, std::size_t frames) {
    add(out_, outLoudness_, interleaved, frames);
}

void RenderTimeline::add(Side& side, ShortWindowLoudness& meter, const double* interleaved, std::size_t frames) {
    for (std::size_t i = 0; i < frames; ++i) {
        const double* frame = interleaved + i * static_cast<std::size_t>(channels_);
        for (int c = 0; c < channels_; ++c) {
            side.windowPeak = std::max(side.windowPeak, std::fabs(frame[c]));
            side.windowEnergy += frame[c] * frame[c];
        }
        if (++side.inWindow == windowLength_) {
            side.peak.push_back(static_cast<float>(side.windowPeak));
            side.energy.push_back(static_cast<float>(side.windowEnergy / (windowLength_ * channels_)));
            side.windowPeak = side.windowEnergy = 0.0;
            side.inWindow = 0;
        }
        if (meter.add(frame)) {
            side.momentary.push_back(meter.momentary());
            side.shortTerm.push_back(meter.shortTerm());
        }
    }
    completeWindows();
}

void RenderTimeline::completeWindows() {
    const std::size_t n = std::min(in_.peak.size(), out_.peak.size());
    for (std::size_t i = windows_.size(); i < n; ++i) {
        TimelineWindow w;
        w.inputPeak = in_.peak[i];
        w.outputPeak = out_.peak[i];
        if (gain_) {
            const double expected = *gain_ * *gain_ * in_.energy[i];
            w.quiet = expected < kQuietMeanSquare;
            if (!w.quiet) {
                const double reduction = out_.energy[i] > 0.0 ? 10.0 * std::log10(expected / out_.energy[i])
                                                              : kMostReductionDb;
                w.gainReductionDb = static_cast<float>(std::clamp(reduction, 0.0, kMostReductionDb));
            }
        }
        windows_.push_back(w);
    }
    const std::size_t m = std::min(in_.momentary.size(), out_.momentary.size());
    for (std::size_t i = loudness_.size(); i < m; ++i)
        loudness_.push_back({in_.momentary[i], out_.momentary[i], in_.shortTerm[i], out_.shortTerm[i]});
}

TimelineSummary RenderTimeline::summary() const {
    TimelineSummary s;
    s.inputMaxMomentary = maxOf(in_.momentary);
    s.outputMaxMomentary = maxOf(out_.momentary);
    s.inputMaxShortTerm = maxOf(in_.shortTerm);
    s.outputMaxShortTerm = maxOf(out_.shortTerm);
    GainReductionFigures& g = s.gainReduction;
    g.measured = gain_.has_value();
    std::size_t counted = 0, limiting = 0;
    double sum = 0.0;
    for (const TimelineWindow& w : windows_) {
        if (w.quiet) continue;
        ++counted;
        sum += w.gainReductionDb;
        g.largestDb = std::max(g.largestDb, static_cast<double>(w.gainReductionDb));
        if (w.gainReductionDb >= kLimitingDb) ++limiting;
    }
    if (counted > 0) {
        g.averageDb = sum / static_cast<double>(counted);
        g.limitingShare = static_cast<double>(limiting) / static_cast<double>(counted);
    }
    return s;
}

}  // namespace zarpacli
