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

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height), fill) {}

void Image::set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[index(x, y)] = c;
}

void Image::blend(int x, int y, Rgb c, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
    Rgb& p = pixels_[index(x, y)];
    p = mix(p, c, std::min(alpha, 1.0));
}

Image Image::crop(int x, int y, int w, int h) const {
    Image out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) out.set(i, j, at(std::clamp(x + i, 0, width_ - 1), std::clamp(y + j, 0, height_ - 1)));
    return out;
}

void Image::paste(const Image& src, int x, int y) {
    for (int j = 0; j < src.height(); ++j)
        for (int i = 0; i < src.width(); ++i) set(x + i, y + j, src.at(i, j));
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
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) img.set(x, y, c);
}

void fillVerticalGradient(Image& img, Box box, Rgb top, Rgb bottom) {
    const double span = std::max(1, box.height() - 1);
    for (int y = box.top; y < box.bottom; ++y) {
        const Rgb c = mix(top, bottom, (y - box.top) / span);
        for (int x = box.left; x < box.right; ++x) img.set(x, y, c);
    }
}

void fillShadedShape(Image& img, Box bounds, const Sdf& shape, const std::function<Rgb(double, double)>& shade,
                     double alpha) {
    for (int y = bounds.top; y < bounds.bottom; ++y) {
        for (int x = bounds.left; x < bounds.right; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double coverage = std::clamp(0.5 - shape(px, py), 0.0, 1.0);
            if (coverage > 0) img.blend(x, y, shade(px, py), coverage * alpha);
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
