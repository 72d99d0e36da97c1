// The software rasteriser behind CDrawContext.
#include "toolkit/draw_context.h"

#include <cstdlib>
#include <cstring>

#include "resources/font.h"

CDrawContext::CDrawContext(CPixel* pixels, CCoord width, CCoord height) {
    setPixels(pixels, width, height);
    setFont(kNormalFontSmaller);
}

CDrawContext::~CDrawContext() {
    if (font_) font_->forget();
}

void CDrawContext::setPixels(CPixel* pixels, CCoord width, CCoord height) {
    const bool valid = pixels && width > 0 && height > 0;
    pixels_ = valid ? pixels : nullptr;
    width_ = valid ? width : 0;
    height_ = valid ? height : 0;
    resetClipRect();
}

CPixel CDrawContext::getPixel(CCoord x, CCoord y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void CDrawContext::setFont(CFontRef font) {
    if (font == font_) return;
    if (font) font->remember();
    if (font_) font_->forget();
    font_ = font;
}

void CDrawContext::setClipRect(const CRect& clip) {
    clip_ = clip;
    clip_.bound(CRect(0, 0, width_, height_));
}

void CDrawContext::resetClipRect() { clip_ = CRect(0, 0, width_, height_); }

void CDrawContext::fillClipped(const CRect& rect, const CColor& color) {
    CRect r = rect;
    r.bound(clip_);
    if (r.isEmpty()) return;
    const CPixel pixel = toPixel(color);
    for (CCoord y = r.top; y < r.bottom; ++y) {
        CPixel* row = pixels_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
        for (CCoord x = r.left; x < r.right; ++x) row[x] = pixel;
    }
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    if (style != kDrawStroked) fillClipped(rect, fillColor_);
    if (style == kDrawFilled) return;
    const CCoord w = lineWidth_;
    fillClipped(CRect(rect.left, rect.top, rect.right, rect.top + w), frameColor_);
    fillClipped(CRect(rect.left, rect.bottom - w, rect.right, rect.bottom), frameColor_);
    fillClipped(CRect(rect.left, rect.top, rect.left + w, rect.bottom), frameColor_);
    fillClipped(CRect(rect.right - w, rect.top, rect.right, rect.bottom), frameColor_);
}

void CDrawContext::drawPoint(const CPoint& point, const CColor& color) {
    fillClipped(CRect(point.x, point.y, point.x + 1, point.y + 1), color);
}

void CDrawContext::lineTo(const CPoint& point) {
    drawLine(penPosition_, point);
    penPosition_ = point;
}

// Bresenham's line with a square pen of line width pixels centred on each point.
void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    const CCoord before = (lineWidth_ - 1) / 2;
    const CCoord dx = std::abs(to.x - from.x);
    const CCoord dy = -std::abs(to.y - from.y);
    const CCoord sx = from.x < to.x ? 1 : -1;
    const CCoord sy = from.y < to.y ? 1 : -1;
    CCoord error = dx + dy;
    CPoint p = from;
    for (;;) {
        fillClipped(CRect(p.x - before, p.y - before, p.x - before + lineWidth_, p.y - before + lineWidth_),
                    frameColor_);
        if (p == to) break;
        const CCoord twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            p.x += sx;
        }
        if (twice <= dx) {
            error += dx;
            p.y += sy;
        }
    }
}

void CDrawContext::blend(CCoord x, CCoord y, const CColor& color, unsigned coverage) {
    CPixel& pixel = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
    const unsigned a = coverage * color.alpha / 255u;
    if (a == 0) return;
    const CColor old = fromPixel(pixel);
    auto mix = [a](unsigned from, unsigned to) {
        return static_cast<std::uint8_t>((from * (255u - a) + to * a + 127u) / 255u);
    };
    pixel = toPixel(CColor{mix(old.red, color.red), mix(old.green, color.green), mix(old.blue, color.blue), 255});
}

CCoord CDrawContext::getStringWidth(const char* text) const { return font_ ? font_->getStringWidth(text) : 0; }

CPoint CDrawContext::textOrigin(const char* text, const CRect& area, CHoriTxtAlign align) const {
    if (!font_) return area.getTopLeft();
    constexpr CCoord kTextInset = 2;  // keeps left and right aligned text off the field's edge
    const resources::GlyphFont& glyphs = font_->glyphs();
    const CCoord textHeight = glyphs.ascent + glyphs.descent;
    const CCoord baseline = area.top + (area.getHeight() - textHeight) / 2 + glyphs.ascent;
    const CCoord width = getStringWidth(text);
    CCoord x = area.left + kTextInset;
    if (align == kCenterText) x = area.left + (area.getWidth() - width) / 2;
    if (align == kRightText) x = area.right - kTextInset - width;
    return CPoint(x, baseline);
}

void CDrawContext::drawString(const char* text, const CRect& area, CHoriTxtAlign align) {
    CRect clip = area;
    clip.bound(clip_);
    drawGlyphs(text, textOrigin(text, area, align), clip);
}

void CDrawContext::drawString(const char* text, const CPoint& baselineStart) { drawGlyphs(text, baselineStart, clip_); }

void CDrawContext::drawGlyphs(const char* text, CPoint pen, const CRect& clip) {
    if (!text || !font_ || clip.isEmpty()) return;
    const resources::GlyphFont& glyphs = font_->glyphs();
    for (; *text; ++text) {
        const resources::FontGlyph& g = glyphs.glyph(static_cast<unsigned char>(*text));
        const CCoord left = pen.x + g.bearingX;
        const CCoord top = pen.y - g.bearingY;
        const std::uint8_t* coverage = glyphs.coverage + g.offset;
        for (CCoord row = 0; row < g.height; ++row) {
            for (CCoord col = 0; col < g.width; ++col) {
                const CPoint p(left + col, top + row);
                if (clip.pointInside(p)) blend(p.x, p.y, fontColor_, coverage[row * g.width + col]);
            }
        }
        pen.x += g.advance;
    }
}

void CDrawContext::copyPixels(const CRect& target, const CPixel* source, CCoord sourceStride,
                              const CPoint& sourceOrigin) {
    CRect r = target;
    r.bound(clip_);
    if (r.isEmpty() || !source) return;
    const CCoord sx = sourceOrigin.x + (r.left - target.left);
    const CCoord sy = sourceOrigin.y + (r.top - target.top);
    const std::size_t count = static_cast<std::size_t>(r.getWidth());
    for (CCoord row = 0; row < r.getHeight(); ++row) {
        const CPixel* from = source + static_cast<std::size_t>(sy + row) * static_cast<std::size_t>(sourceStride) +
                             static_cast<std::size_t>(sx);
        CPixel* to = pixels_ + static_cast<std::size_t>(r.top + row) * static_cast<std::size_t>(width_) +
                     static_cast<std::size_t>(r.left);
        std::memcpy(to, from, count * sizeof(CPixel));
    }
}

COffscreenContext::COffscreenContext(CCoord width, CCoord height, const CColor& background)
    : CDrawContext(nullptr, 0, 0) {
    if (width <= 0 || height <= 0) return;
    buffer_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), toPixel(background));
    setPixels(buffer_.data(), width, height);
}
