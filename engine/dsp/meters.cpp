// The meter accumulator's steps and the hand-over to the editor.
#include "engine/dsp/meters.h"

#include <cmath>

namespace zarpa::dsp {

namespace {
constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
}

void MeterAccumulator::reset() {
    levels_ = MeterLevels{};
    oversampler_.reset();
}

void MeterAccumulator::restartHolds() {
    levels_.inputPeak = {0.0, 0.0};
    levels_.outputPeak = {0.0, 0.0};
    restartGains();
}

void MeterAccumulator::noiseChannel(int channel, double y) {
    Run r = run();
    r.noise(channel, y);
    finish(r);
}

void MeterAccumulator::silentChannel(int channel) {
    levels_.inputPeak[channel] = 0.0;
    levels_.outputPeak[channel] = 0.0;
    levels_.inputMeanSquare[channel] = 0.0;
    levels_.outputMeanSquare[channel] = 0.0;
}

void MeterExchange::publish(const MeterLevels& m) {
    const double values[10] = {m.inputPeak[0],        m.inputPeak[1],        m.outputPeak[0],
                               m.outputPeak[1],       m.inputMeanSquare[0],  m.inputMeanSquare[1],
                               m.outputMeanSquare[0], m.outputMeanSquare[1], m.gain[0],
                               m.gain[1]};
    for (int i = 0; i < 10; ++i) values_[static_cast<std::size_t>(i)].store(values[i], kRelaxed);
    published_.fetch_add(1, kRelaxed);
}

void MeterExchange::read(float out[10]) {
    const std::uint32_t seen = published_.load(kRelaxed);
    for (int i = 0; i < 10; ++i) {
        const double v = values_[static_cast<std::size_t>(i)].load(kRelaxed);
        const bool meanSquare = i >= 4 && i < 8;
        out[i] = static_cast<float>(meanSquare ? std::sqrt(2.0 * v) : v);
    }
    acknowledged_.store(seen, kRelaxed);
}

}  // namespace zarpa::dsp
