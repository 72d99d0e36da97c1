// Pink calibration noise (Voss rows over the dither generator) at the K-system reference levels.
#pragma once

#include <array>
#include <cstdint>

#include "engine/dsp/dither_generator.h"
#include "engine/dsp/stereo.h"

namespace zarpa::dsp {

enum class CalibrationMode { Off = 0, Left = 1, BothUncorrelated = 2, Right = 3 };

// The level factor for the Scale step: 0 K-12, 1 K-14, 2 K-20 (reads -12, -14, -20 dB on the meters).
double calibrationLevel(int scaleStep);

// Audio thread only.
class CalibrationNoise {
public:
    void reset();

    // One output pair; the channel a one-sided mode leaves silent is exactly 0.
    Stereo step(CalibrationMode mode, double level, DitherGenerator& generator);

private:
    struct Rows {
        std::array<double, 8> value{};
        double sum = 0.0;
        // Replaces the row chosen by the counter with w; returns the new sum of the rows.
        double replace(int row, double w) {
            sum = sum + (w - value[static_cast<std::size_t>(row)]);
            value[static_cast<std::size_t>(row)] = w;
            return sum;
        }
    };

    // Row k is replaced every 2^(k+1) samples: the number of trailing zero bits of the counter, at most 7.
    int row() const;
    static double scaled(double white, double rowSum, double level);

    Rows left_;
    Rows right_;
    std::uint32_t counter_ = 0;
};

}  // namespace zarpa::dsp
