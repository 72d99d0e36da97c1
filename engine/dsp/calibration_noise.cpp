// The calibration noise generator's per-sample step.
#include "engine/dsp/calibration_noise.h"

namespace zarpa::dsp {

double calibrationLevel(int scaleStep) {
    static constexpr double kLevels[3] = {2.5118864315, 2.0, 1.0};
    return kLevels[scaleStep < 0 ? 0 : scaleStep > 2 ? 2 : scaleStep];
}

void CalibrationNoise::reset() {
    left_ = Rows{};
    right_ = Rows{};
    counter_ = 0;
}

int CalibrationNoise::row() const {
    const std::uint32_t c = counter_ & 0xFFu;
    int zeros = 0;
    while (zeros < 7 && ((c >> zeros) & 1u) == 0) ++zeros;
    return zeros;
}

double CalibrationNoise::scaled(double white, double rowSum, double level) {
    // Nine uniform sources have an RMS of √3; 0.1/√2 puts a sine-referenced meter at -20 dB for level 1.
    // The three constants are single-precision values, the arithmetic is 64-bit, left to right.
    constexpr double kTenth = 0.1f;
    constexpr double kSqrt2 = 1.4142135381698608;  // √2 in single precision
    constexpr double kSqrt3 = 1.7320507764816284;  // √3 in single precision
    return (((white + rowSum) * kTenth) / kSqrt2) / kSqrt3 * level;
}

Stereo CalibrationNoise::step(CalibrationMode mode, double level, DitherGenerator& generator) {
    if (mode == CalibrationMode::BothUncorrelated) {
        const double w1 = generator.next();
        const double w2 = generator.next();
        const int r = row();
        const double sumL = left_.replace(r, w1);
        const double sumR = right_.replace(r, w2);
        const double w3 = generator.next();
        counter_ = (counter_ + 1) & 0xFFu;
        const double w4 = generator.next();
        return {scaled(w3, sumL, level), scaled(w4, sumR, level)};
    }
    const double w1 = generator.next();
    const double sum = left_.replace(row(), w1);
    const double w2 = generator.next();
    ++counter_;
    const double noise = scaled(w2, sum, level);
    return mode == CalibrationMode::Left ? Stereo{noise, 0.0} : Stereo{0.0, noise};
}

}  // namespace zarpa::dsp
