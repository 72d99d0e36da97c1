// The loudness analyzer of the Linux build: libebur128.
#include <ebur128.h>

#include <limits>
#include <memory>

#include "cli/cli_error.h"
#include "cli/level_meter.h"

namespace zarpacli {

namespace {

class Ebur128Analyzer : public LoudnessAnalyzer {
public:
    Ebur128Analyzer(int channels, int sampleRate) : channels_(channels) {
        state_ = ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate),
                              EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
        if (!state_) throw processingError("cannot measure loudness at " + std::to_string(sampleRate) + " Hz");
    }
    ~Ebur128Analyzer() override { ebur128_destroy(&state_); }

    void add(const double* interleaved, std::size_t frames) override {
        if (frames && ebur128_add_frames_double(state_, interleaved, frames) != EBUR128_SUCCESS)
            throw processingError("loudness measurement failed");
    }
    double integratedLufs() override {
        double v = 0.0;
        if (ebur128_loudness_global(state_, &v) != EBUR128_SUCCESS) return -std::numeric_limits<double>::infinity();
        return v;
    }
    double loudnessRangeLu() override {
        double v = 0.0;
        return ebur128_loudness_range(state_, &v) == EBUR128_SUCCESS ? v : 0.0;
    }
    double truePeak() override {
        double peak = 0.0;
        for (int c = 0; c < channels_; ++c) {
            double v = 0.0;
            if (ebur128_true_peak(state_, static_cast<unsigned>(c), &v) == EBUR128_SUCCESS && v > peak) peak = v;
        }
        return peak;
    }

private:
    int channels_;
    ebur128_state* state_ = nullptr;
};

}  // namespace

std::unique_ptr<LoudnessAnalyzer> makeLoudnessAnalyzer(int channels, int sampleRate) {
    return std::make_unique<Ebur128Analyzer>(channels, sampleRate);
}

}  // namespace zarpacli
