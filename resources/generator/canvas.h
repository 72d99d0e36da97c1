// A small RGB canvas with anti-aliased shapes: the drawing surface of the artwork generator.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace artgen {

// A colour with channels in 0..255 (kept fractional while compositing, rounded once at output).
struct Rgb {
    double r = 0, g = 0, b = 0;
};

constexpr Rgb rgb(int r, int g, int b) { return Rgb{double(r), double(g), double(b)}; }
Rgb mix(Rgb a, Rgb b, double t);        // t = 0 gives a, t = 1 gives b
Rgb scale(Rgb c, double factor);        // brightness factor, clamped to 0..255

// Signed distance from a pixel-space point to a shape's edge: negative inside, positive outside.
using Sdf = std::function<double(double x, double y)>;

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const { return pixels_[index(x, y)]; }
    void set(int x, int y, Rgb c);
    // Paints c over the pixel with the given opacity (0..1); points outside the image are ignored.
    void blend(int x, int y, Rgb c, double alpha);

    Image crop(int x, int y, int w, int h) const;
    void paste(const Image& src, int x, int y);

    // 8-bit red, green, blue per pixel, rows from the top: the embedded and resource format.
    std::vector<std::uint8_t> toRgb8() const;

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width_) + std::size_t(x); }
    int width_ = 0, height_ = 0;
    std::vector<Rgb> pixels_;
};

// Rectangles are (left, top, right, bottom) in pixels, right and bottom exclusive.
struct Box {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

void fillBox(Image& img, Box box, Rgb c);
void fillVerticalGradient(Image& img, Box box, Rgb top, Rgb bottom);

// Fills a shape given by its distance function inside the bounding box, with one pixel of smooth edge.
// shade, when given, picks the colour per pixel (for gradients inside a shape).
void fillShape(Image& img, Box bounds, const Sdf& shape, Rgb c, double alpha = 1.0);
void fillShadedShape(Image& img, Box bounds, const Sdf& shape, const std::function<Rgb(double, double)>& shade,
                     double alpha = 1.0);

// Distance functions of the shapes the artwork uses (centres and radii in pixel space; pixel (x, y)
// covers x..x+1, so its centre is at x + 0.5).
Sdf roundedRect(double left, double top, double right, double bottom, double radius);
Sdf circle(double cx, double cy, double radius);
Sdf segment(double x0, double y0, double x1, double y1, double halfWidth);
// An arc of the given radius and half width, from angle a0 to a1 (radians, clockwise from 12 o'clock,
// a0 <= a1), with round ends.
Sdf arc(double cx, double cy, double radius, double halfWidth, double a0, double a1);
Sdf polygon(std::vector<std::pair<double, double>> points);  // convex or not, even-odd inside rule
Sdf unite(Sdf a, Sdf b);
Sdf subtract(Sdf a, Sdf b);
Sdf outline(Sdf shape, double halfWidth);  // a band of the given half width along the shape's edge

}  // namespace artgen
