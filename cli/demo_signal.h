// The built-in demo: a short music-like stereo mix (drums with sharp transients, bass and chords)
// synthesised on the spot and mastered 6 dB too hot, so that the limiter has work to do.
#pragma once

#include <vector>

#include "cli/audio_file.h"

namespace zarpacli {

constexpr int kDemoSampleRate = 44100;
constexpr double kDemoPeak = 2.0;  // +6.02 dBFS

// Interleaved stereo at kDemoSampleRate, peaking at kDemoPeak; the same samples on every run.
std::vector<double> synthesizeDemo(double seconds);

// The demo as an input file.
class DemoSignal : public AudioReader {
public:
    explicit DemoSignal(double seconds);
    const AudioInfo& info() const override { return info_; }
    std::size_t read(double* interleaved, std::size_t frames) override;

private:
    std::vector<double> samples_;
    std::size_t position_ = 0;  // in frames
    AudioInfo info_;
};

}  // namespace zarpacli
