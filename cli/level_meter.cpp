// Sample peak and duration counted here; loudness and true peak from the build's analyzer.
#include "cli/level_meter.h"

#include <cmath>
#include <limits>

namespace zarpacli {

double decibels(double linear) {
    return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

LevelMeter::LevelMeter(int channels, int sampleRate)
    : channels_(channels), sampleRate_(sampleRate), channelPeaks_(static_cast<std::size_t>(channels), 0.0),
      analyzer_(makeLoudnessAnalyzer(channels, sampleRate)) {}

void LevelMeter::add(const double* interleaved, std::size_t frames) {
    const std::size_t n = frames * static_cast<std::size_t>(channels_);
    // One NaN would make every figure NaN or -inf: such samples are counted and measured as silence.
    std::int64_t bad = 0;
    for (std::size_t i = 0; i < n; ++i) bad += !std::isfinite(interleaved[i]);
    if (bad > 0) {
        nonFinite_ += bad;
        finite_.assign(interleaved, interleaved + n);
        for (double& v : finite_)
            if (!std::isfinite(v)) v = 0.0;
        interleaved = finite_.data();
    }
    for (std::size_t i = 0; i < n; ++i) {
        double& peak = channelPeaks_[i % static_cast<std::size_t>(channels_)];
        peak = std::fmax(peak, std::fabs(interleaved[i]));
        samplePeak_ = std::fmax(samplePeak_, peak);
    }
    frames_ += static_cast<std::int64_t>(frames);
    analyzer_->add(interleaved, frames);
}

LevelFigures LevelMeter::figures() {
    LevelFigures f;
    f.samplePeak = samplePeak_;
    f.channelPeaks = channelPeaks_;
    f.truePeak = std::fmax(analyzer_->truePeak(), samplePeak_);
    f.integratedLufs = analyzer_->integratedLufs();
    f.loudnessRangeLu = analyzer_->loudnessRangeLu();
    f.frames = frames_;
    f.nonFiniteSamples = nonFinite_;
    f.durationSeconds = sampleRate_ > 0 ? static_cast<double>(frames_) / sampleRate_ : 0.0;
    return f;
}

}  // namespace zarpacli
