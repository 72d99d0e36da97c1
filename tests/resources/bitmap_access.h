// Small helpers for reading pixels of the embedded bitmaps in tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>

#include "resources/resources.h"

namespace restest {

struct Pixel {
    int r = 0, g = 0, b = 0;
    bool operator==(const Pixel&) const = default;
    int luma() const { return (299 * r + 587 * g + 114 * b) / 1000; }
};

inline std::ostream& operator<<(std::ostream& os, const Pixel& p) {
    return os << "(" << p.r << ", " << p.g << ", " << p.b << ")";
}

inline Pixel pixelAt(const resources::ResourceBitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.rgb + 3 * (std::size_t(y) * std::size_t(bmp.width) + std::size_t(x));
    return {p[0], p[1], p[2]};
}

// True when frames a and b (of the given height) hold the same pixels.
inline bool sameFrames(const resources::ResourceBitmap& bmp, int frameHeight, int a, int b) {
    const std::size_t frameBytes = std::size_t(bmp.width) * std::size_t(frameHeight) * 3;
    return std::memcmp(bmp.rgb + std::size_t(a) * frameBytes, bmp.rgb + std::size_t(b) * frameBytes, frameBytes) == 0;
}

}  // namespace restest
