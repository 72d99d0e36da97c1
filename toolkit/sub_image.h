// Sub-images of a film-strip bitmap: images of equal height stacked vertically, image 0 at the top.
#pragma once

#include "toolkit/geometry.h"

// Source offset of image k of a strip whose images are imageHeight pixels high, below base.
constexpr CPoint subImageOffset(const CPoint& base, int image, CCoord imageHeight) {
    return CPoint(base.x, base.y + image * imageHeight);
}

// The source row of an animation frame for a value in [0, 1]: e = trunc(value × (frames − 1) × height),
// rounded down to a whole frame; a value of 1 (or more) gives the last frame, a negative one the first.
inline CCoord animationFrameOffset(float value, int frames, CCoord frameHeight) {
    const CCoord span = (frames - 1) * frameHeight;
    if (!(value > 0.0f) || frameHeight <= 0 || frames <= 1) return 0;
    const double e = static_cast<double>(value) * span;
    if (e >= span) return span;
    return frameHeight * (static_cast<CCoord>(e) / frameHeight);
}
