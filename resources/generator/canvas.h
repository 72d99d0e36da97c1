// A small RGB canvas with anti-aliased shapes: the drawing surface of the artwork generator.
#pragma once

#include <cmath>
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

// Rectangles are (left, top, right, bottom) in pixels, right and bottom exclusive.
struct Box {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// The resolution the painters draw at: 1 for the 100 % set, 1.5 and 2 for the larger sets. Painters
// always work in the 100 % window's pixels ("logical" pixels); an image maps them to its own device
// pixels, so shapes, gradients and text come out sharp at every scale.
double drawingScale();
class ScaleScope {  // every image made while it lives draws at this scale
public:
    explicit ScaleScope(double scale);
    ~ScaleScope();
    ScaleScope(const ScaleScope&) = delete;
    ScaleScope& operator=(const ScaleScope&) = delete;

private:
    double previous_;
};

// Logical pixel x lies on device columns [device(x), device(x + 1)), device(x) = floor(x · scale); an image
// of logical width w has ceil(w · scale) device columns (the same for rows), so it covers every device
// pixel that a rectangle of that logical size covers wherever it is placed. Frames of a film strip are
// stacked at a device stride of ceil(h · scale) rows.
class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = {});  // at drawingScale()
    // n copies of frame's size stacked vertically at a device stride of frame.deviceHeight() rows.
    static Image stripOf(const Image& frame, int n);

    int width() const { return width_; }  // logical
    int height() const { return height_; }
    double scale() const { return scale_; }
    int frames() const { return frames_; }  // frames of a strip made by stripOf, else 1
    int deviceWidth() const { return deviceWidth_; }
    int deviceHeight() const { return deviceHeight_; }
    int device(int logical) const;
    int device(double logical) const;

    // Logical pixels: set fills the pixel's whole device block; at reads its top-left device pixel.
    Rgb at(int x, int y) const { return deviceAt(device(x), device(y)); }
    void set(int x, int y, Rgb c);
    // Device pixels.
    Rgb deviceAt(int x, int y) const { return pixels_[index(x, y)]; }
    void setDevice(int x, int y, Rgb c);
    // Paints c over the device pixel with the given opacity (0..1); points outside are ignored.
    void blendDevice(int x, int y, Rgb c, double alpha);

    // The logical rectangle (x, y, w, h) with every device pixel an image of that size holds.
    Image crop(int x, int y, int w, int h) const;
    // src's device pixels at logical (x, y), or at device (x, y).
    void paste(const Image& src, int x, int y) { pasteDevice(src, device(x), device(y)); }
    void pasteDevice(const Image& src, int x, int y);

    // 8-bit red, green, blue per device pixel, rows from the top: the embedded and resource format.
    std::vector<std::uint8_t> toRgb8() const;

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(deviceWidth_) + std::size_t(x); }
    int deviceEnd(int logical, int logicalSize, int deviceSize) const;
    int width_ = 0, height_ = 0;
    double scale_ = 1.0;
    int deviceWidth_ = 0, deviceHeight_ = 0;
    int frames_ = 1;
    std::vector<Rgb> pixels_;
    friend void fillBox(Image&, Box, Rgb);
    friend void fillVerticalGradient(Image&, Box, Rgb, Rgb);
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
