// Pixel geometry and colours of the toolkit: points, rectangles (right and bottom exclusive), colours.
#pragma once

#include <algorithm>
#include <cstdint>

using CCoord = int;

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(CCoord x, CCoord y) : x(x), y(y) {}

    constexpr CPoint& offset(CCoord dx, CCoord dy) {
        x += dx;
        y += dy;
        return *this;
    }
    constexpr bool operator==(const CPoint&) const = default;
};

// A rectangle in pixels; a point (x, y) lies inside when left <= x < right and top <= y < bottom.
struct CRect {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(CCoord left, CCoord top, CCoord right, CCoord bottom)
        : left(left), top(top), right(right), bottom(bottom) {}
    constexpr CRect(const CPoint& origin, CCoord width, CCoord height)
        : left(origin.x), top(origin.y), right(origin.x + width), bottom(origin.y + height) {}

    constexpr CCoord getWidth() const { return right - left; }
    constexpr CCoord getHeight() const { return bottom - top; }
    constexpr CCoord width() const { return getWidth(); }
    constexpr CCoord height() const { return getHeight(); }
    constexpr CPoint getTopLeft() const { return {left, top}; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    constexpr CRect& setWidth(CCoord w) {
        right = left + w;
        return *this;
    }
    constexpr CRect& setHeight(CCoord h) {
        bottom = top + h;
        return *this;
    }
    constexpr CRect& offset(CCoord dx, CCoord dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    constexpr CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
    constexpr CRect& inset(CCoord dx, CCoord dy) {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    constexpr bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool rectOverlap(const CRect& r) const {
        return !isEmpty() && !r.isEmpty() && r.left < right && left < r.right && r.top < bottom && top < r.bottom;
    }
    // Limits this rectangle to r; an empty result has zero width or height.
    constexpr CRect& bound(const CRect& r) {
        left = std::max(left, r.left);
        top = std::max(top, r.top);
        right = std::max(left, std::min(right, r.right));
        bottom = std::max(top, std::min(bottom, r.bottom));
        return *this;
    }
    // The smallest rectangle holding both; an empty rectangle adds nothing.
    constexpr CRect& unite(const CRect& r) {
        if (r.isEmpty()) return *this;
        if (isEmpty()) return *this = r;
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right);
        bottom = std::max(bottom, r.bottom);
        return *this;
    }
    constexpr bool operator==(const CRect&) const = default;
};

struct CColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    constexpr bool operator==(const CColor&) const = default;
};

constexpr CColor MakeCColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255) {
    return CColor{red, green, blue, alpha};
}

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kGreyCColor{127, 127, 127, 255};
constexpr CColor kTransparentCColor{0, 0, 0, 0};

// Framebuffer pixels are 32-bit words 0xAARRGGBB with alpha always 255: the layout of a 32-bit
// TrueColor X image and of a 32-bit Windows DIB on little-endian machines.
using CPixel = std::uint32_t;

constexpr CPixel toPixel(const CColor& c) {
    return 0xFF000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | std::uint32_t{c.blue};
}
constexpr CColor fromPixel(CPixel p) {
    return CColor{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p),
                  255};
}
