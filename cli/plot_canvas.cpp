// Drawing on the plot's picture.
#include "cli/plot_canvas.h"

#include <algorithm>
#include <cmath>

#include "cli/label_font.h"

namespace zarpacli {

PlotCanvas::PlotCanvas(int width, int height, Colour background)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3), font_(labelFont()) {
    fillRect(0, 0, width, height, background);
}

Colour PlotCanvas::at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 3;
    return {pixels_[i], pixels_[i + 1], pixels_[i + 2]};
}

void PlotCanvas::blend(int x, int y, Colour c, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0) return;
    alpha = std::min(alpha, 1.0);
    std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    const std::uint8_t src[3] = {c.r, c.g, c.b};
    for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>(std::lround(p[k] + (src[k] - p[k]) * alpha));
}

void PlotCanvas::fillRect(int x0, int y0, int x1, int y1, Colour c, double alpha) {
    for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) blend(x, y, c, alpha);
}

void PlotCanvas::line(double x0, double y0, double x1, double y1, Colour c, double width, int dash) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int steps = std::max(1, static_cast<int>(std::ceil(length * 4.0)));
    const double half = width / 2.0;
    // Each step stamps a square of the line's width; the coverage of the pixels it touches is kept as
    // the largest over the stamps, so the line is drawn once and overlapping stamps do not darken it.
    const int bx0 = static_cast<int>(std::floor(std::min(x0, x1) - half)),
              by0 = static_cast<int>(std::floor(std::min(y0, y1) - half));
    const int bw = static_cast<int>(std::ceil(std::fabs(x1 - x0) + width)) + 2,
              bh = static_cast<int>(std::ceil(std::fabs(y1 - y0) + width)) + 2;
    std::vector<float> cover(static_cast<std::size_t>(bw) * bh, 0.0f);
    for (int s = 0; s <= steps; ++s) {
        const double t = static_cast<double>(s) / steps;
        if (dash > 0 && static_cast<int>(t * length / dash) % 2 == 1) continue;
        const double cx = x0 + (x1 - x0) * t, cy = y0 + (y1 - y0) * t;
        for (int y = static_cast<int>(std::floor(cy - half)); y <= static_cast<int>(std::floor(cy + half)); ++y)
            for (int x = static_cast<int>(std::floor(cx - half)); x <= static_cast<int>(std::floor(cx + half)); ++x) {
                const double ox = std::clamp(std::min(x + 1.0, cx + half) - std::max<double>(x, cx - half), 0.0, 1.0);
                const double oy = std::clamp(std::min(y + 1.0, cy + half) - std::max<double>(y, cy - half), 0.0, 1.0);
                const int i = (y - by0) * bw + (x - bx0);
                if (x - bx0 >= 0 && x - bx0 < bw && y - by0 >= 0 && y - by0 < bh)
                    cover[i] = std::max(cover[i], static_cast<float>(ox * oy));
            }
    }
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) blend(bx0 + x, by0 + y, c, cover[static_cast<std::size_t>(y) * bw + x]);
}

int PlotCanvas::textWidth(const std::string& text) const { return font_.textWidth(text.c_str()); }
int PlotCanvas::ascent() const { return font_.ascent; }
int PlotCanvas::lineHeight() const { return font_.lineHeight; }

int PlotCanvas::text(int x, int y, const std::string& text, Colour c, TextAlign align) {
    const int w = textWidth(text);
    int pen = align == TextAlign::Left ? x : align == TextAlign::Centre ? x - w / 2 : x - w;
    for (unsigned char ch : text) {
        const graphics::FontGlyph& g = font_.glyph(ch);
        const std::uint8_t* coverage = font_.coverage + g.offset;
        for (int row = 0; row < g.height; ++row)
            for (int col = 0; col < g.width; ++col)
                blend(pen + g.bearingX + col, y - g.bearingY + row, c, coverage[row * g.width + col] / 255.0);
        pen += g.advance;
    }
    return w;
}

void PlotCanvas::verticalText(int x, int y, const std::string& text, Colour c) {
    // Drawn upright on a scratch canvas, then turned: the scratch pixel (u, v) lands on (x0 + v, y0 + w - u).
    const int w = textWidth(text), h = font_.lineHeight;
    PlotCanvas scratch(w, h, {0, 0, 0});
    scratch.text(0, font_.ascent, text, {255, 255, 255});
    const int x0 = x - h / 2, y0 = y - w / 2;
    for (int v = 0; v < h; ++v)
        for (int u = 0; u < w; ++u) blend(x0 + v, y0 + (w - 1 - u), c, scratch.at(u, v).r / 255.0);
}

}  // namespace zarpacli
