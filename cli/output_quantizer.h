// Puts the plug-in's output on the sample grid of the output file, without dither: the plug-in's own
// requantizer is the place for dither and noise shaping. Counts what the conversion changed, so the
// report can say whether it was lossless.
#pragma once

#include <cstdint>

#include "cli/audio_format.h"

namespace zarpacli {

class OutputQuantizer {
public:
    explicit OutputQuantizer(Encoding encoding);

    // The value as the file will hold it: an integer multiple of 2^-(bits-1) in [-1, 1 - 2^-(bits-1)] for
    // integer encodings, the nearest 32-bit float for float files, unchanged for lossy encodings.
    // A NaN becomes 0 (and counts as clipped).
    double apply(double v);

    bool isLossy() const { return zarpacli::isLossy(encoding_); }
    std::int64_t roundedSamples() const { return rounded_; }  // values that were not on the grid
    std::int64_t clippedSamples() const { return clipped_; }  // values outside the grid's range

private:
    Encoding encoding_;
    double scale_;  // 2^(bits-1) for integer encodings, else 0
    std::int64_t rounded_ = 0;
    std::int64_t clipped_ = 0;
};

}  // namespace zarpacli
