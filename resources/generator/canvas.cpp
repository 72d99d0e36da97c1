// Canvas storage, compositing and the distance functions of the generator's shapes.
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace artgen {

namespace {
double clamp255(double v) { return std::clamp(v, 0.0, 255.0); }
}  // namespace

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(Rgb c, double f) { return {clamp255(c.r * f), clamp255(c.g * f), clamp255(c.b * f)}; }

namespace {
double gScale = 1.0;
int ceilDevice(int logical, double scale) { return int(std::ceil(logical * scale - 1e-9)); }
}  // namespace

double drawingScale() { return gScale; }
ScaleScope::ScaleScope(double scale) : previous_(gScale) { gScale = scale; }
ScaleScope::~ScaleScope() { gScale = previous_; }

Image::Image(int width, int height, Rgb fill)
    : width_(width),
      height_(height),
      scale_(gScale),
      deviceWidth_(ceilDevice(width, gScale)),
      deviceHeight_(ceilDevice(height, gScale)),
      pixels_(std::size_t(deviceWidth_) * std::size_t(deviceHeight_), fill) {}

Image Image::stripOf(const Image& frame, int n) {
    Image strip;
    strip.width_ = frame.width_;
    strip.height_ = frame.height_ * n;
    strip.scale_ = frame.scale_;
    strip.deviceWidth_ = frame.deviceWidth_;
    strip.deviceHeight_ = frame.deviceHeight_ * n;
    strip.frames_ = n;
    strip.pixels_.assign(std::size_t(strip.deviceWidth_) * std::size_t(strip.deviceHeight_), Rgb{});
    return strip;
}

int Image::device(int logical) const { return int(std::floor(logical * scale_ + 1e-9)); }
int Image::device(double logical) const { return int(std::floor(logical * scale_ + 1e-9)); }

// The device end of a logical pixel run ending at `logical`: the image's own edge takes the device
// pixels that the rounding up of its size added.
int Image::deviceEnd(int logical, int logicalSize, int deviceSize) const {
    return logical >= logicalSize ? deviceSize : std::min(device(logical), deviceSize);
}

void Image::set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const int x1 = deviceEnd(x + 1, width_, deviceWidth_), y1 = deviceEnd(y + 1, height_, deviceHeight_);
    for (int dy = device(y); dy < y1; ++dy)
        for (int dx = device(x); dx < x1; ++dx) pixels_[index(dx, dy)] = c;
}

void Image::setDevice(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < deviceWidth_ && y < deviceHeight_) pixels_[index(x, y)] = c;
}

void Image::blendDevice(int x, int y, Rgb c, double alpha) {
    if (x < 0 || y < 0 || x >= deviceWidth_ || y >= deviceHeight_ || alpha <= 0) return;
    Rgb& p = pixels_[index(x, y)];
    p = mix(p, c, std::min(alpha, 1.0));
}

Image Image::crop(int x, int y, int w, int h) const {
    ScaleScope same(scale_);
    Image out(w, h);
    const int x0 = device(x), y0 = device(y);
    for (int j = 0; j < out.deviceHeight_; ++j)
        for (int i = 0; i < out.deviceWidth_; ++i)
            out.pixels_[out.index(i, j)] =
                deviceAt(std::clamp(x0 + i, 0, deviceWidth_ - 1), std::clamp(y0 + j, 0, deviceHeight_ - 1));
    return out;
}

void Image::pasteDevice(const Image& src, int x, int y) {
    for (int j = 0; j < src.deviceHeight_; ++j)
        for (int i = 0; i < src.deviceWidth_; ++i) setDevice(x + i, y + j, src.deviceAt(i, j));
}

std::vector<std::uint8_t> Image::toRgb8() const {
    std::vector<std::uint8_t> out;
    out.reserve(pixels_.size() * 3);
    for (const Rgb& p : pixels_) {
        out.push_back(std::uint8_t(std::lround(clamp255(p.r))));
        out.push_back(std::uint8_t(std::lround(clamp255(p.g))));
        out.push_back(std::uint8_t(std::lround(clamp255(p.b))));
    }
    return out;
}

void fillBox(Image& img, Box box, Rgb c) {
    const int x0 = img.device(std::max(box.left, 0)), y0 = img.device(std::max(box.top, 0));
    const int x1 = img.deviceEnd(box.right, img.width_, img.deviceWidth_);
    const int y1 = img.deviceEnd(box.bottom, img.height_, img.deviceHeight_);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) img.setDevice(x, y, c);
}

// The gradient runs over the device rows, so it is as smooth at every scale.
void fillVerticalGradient(Image& img, Box box, Rgb top, Rgb bottom) {
    const int x0 = img.device(std::max(box.left, 0)), y0 = img.device(std::max(box.top, 0));
    const int x1 = img.deviceEnd(box.right, img.width_, img.deviceWidth_);
    const int y1 = img.deviceEnd(box.bottom, img.height_, img.deviceHeight_);
    const double span = std::max(1, y1 - y0 - 1);
    for (int y = y0; y < y1; ++y) {
        const Rgb c = mix(top, bottom, (y - y0) / span);
        for (int x = x0; x < x1; ++x) img.setDevice(x, y, c);
    }
}

// Coverage is measured per device pixel: the shape is sampled at the device pixel's centre mapped back
// to logical pixels, and its distance scaled to device pixels, so edges stay one device pixel soft.
void fillShadedShape(Image& img, Box bounds, const Sdf& shape, const std::function<Rgb(double, double)>& shade,
                     double alpha) {
    const double s = img.scale();
    const int x0 = std::max(0, img.device(bounds.left)), y0 = std::max(0, img.device(bounds.top));
    const int x1 = std::min(img.deviceWidth(), int(std::ceil(bounds.right * s)));
    const int y1 = std::min(img.deviceHeight(), int(std::ceil(bounds.bottom * s)));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const double px = (x + 0.5) / s, py = (y + 0.5) / s;
            const double coverage = std::clamp(0.5 - shape(px, py) * s, 0.0, 1.0);
            if (coverage > 0) img.blendDevice(x, y, shade(px, py), coverage * alpha);
        }
    }
}

void fillShape(Image& img, Box bounds, const Sdf& shape, Rgb c, double alpha) {
    fillShadedShape(img, bounds, shape, [c](double, double) { return c; }, alpha);
}

Sdf roundedRect(double left, double top, double right, double bottom, double radius) {
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    return [=](double x, double y) {
        const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
        const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
        return outside + std::min(std::max(qx, qy), 0.0) - radius;
    };
}

Sdf circle(double cx, double cy, double radius) {
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - radius; };
}

Sdf segment(double x0, double y0, double x1, double y1, double halfWidth) {
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - halfWidth;
    };
}

Sdf arc(double cx, double cy, double radius, double halfWidth, double a0, double a1) {
    const double ex0 = cx + radius * std::sin(a0), ey0 = cy - radius * std::cos(a0);
    const double ex1 = cx + radius * std::sin(a1), ey1 = cy - radius * std::cos(a1);
    return [=](double x, double y) {
        const double angle = std::atan2(x - cx, -(y - cy));  // clockwise from 12 o'clock, -pi..pi
        if (angle >= a0 && angle <= a1) return std::abs(std::hypot(x - cx, y - cy) - radius) - halfWidth;
        return std::min(std::hypot(x - ex0, y - ey0), std::hypot(x - ex1, y - ey1)) - halfWidth;
    };
}

Sdf polygon(std::vector<std::pair<double, double>> pts) {
    return [pts](double x, double y) {
        double best = 1e30;
        bool inside = false;
        for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const auto [xi, yi] = pts[i];
            const auto [xj, yj] = pts[j];
            const double dx = xj - xi, dy = yj - yi;
            const double t = std::clamp(((x - xi) * dx + (y - yi) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            best = std::min(best, std::hypot(x - (xi + t * dx), y - (yi + t * dy)));
            if ((yi > y) != (yj > y) && x < xi + (y - yi) * dx / dy) inside = !inside;
        }
        return inside ? -best : best;
    };
}

Sdf unite(Sdf a, Sdf b) {
    return [a, b](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Sdf subtract(Sdf a, Sdf b) {
    return [a, b](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf outline(Sdf shape, double halfWidth) {
    return [shape, halfWidth](double x, double y) { return std::abs(shape(x, y)) - halfWidth; };
}

}  // namespace artgen
