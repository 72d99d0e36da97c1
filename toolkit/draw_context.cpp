// The software rasteriser behind CDrawContext.
#include "toolkit/draw_context.h"

#include <cstdlib>
#include <cstring>

#include "graphics/glyph_font.h"

namespace {
bool knownScale(int percent) { return percent == 100 || percent == 150 || percent == 200; }
}  // namespace

CDrawContext::CDrawContext(CPixel* pixels, CCoord width, CCoord height, int scalePercent)
    : scalePercent_(knownScale(scalePercent) ? scalePercent : 100) {
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

// floor(x · percent / 100) in integers, for negative x too.
CCoord CDrawContext::toDevice(CCoord logical) const {
    const long long scaled = static_cast<long long>(logical) * scalePercent_;
    return static_cast<CCoord>(scaled >= 0 ? scaled / 100 : -((-scaled + 99) / 100));
}

CRect CDrawContext::toDevice(const CRect& r) const {
    return CRect(toDevice(r.left), toDevice(r.top), toDevice(r.right), toDevice(r.bottom));
}

CRect CDrawContext::logicalBounds() const {
    return CRect(0, 0, (width_ * 100 + scalePercent_ - 1) / scalePercent_, (height_ * 100 + scalePercent_ - 1) / scalePercent_);
}

void CDrawContext::setClipRect(const CRect& clip) {
    clip_ = clip;
    clip_.bound(logicalBounds());
    deviceClip_ = toDevice(clip_);
    deviceClip_.bound(CRect(0, 0, width_, height_));
}

void CDrawContext::resetClipRect() {
    clip_ = logicalBounds();
    deviceClip_ = CRect(0, 0, width_, height_);
}

CCoord CDrawContext::deviceLineWidth() const {
    const CCoord w = (lineWidth_ * scalePercent_ + 50) / 100;
    return w < 1 ? 1 : w;
}

void CDrawContext::fillClipped(const CRect& deviceRect, const CColor& color) {
    CRect r = deviceRect;
    r.bound(deviceClip_);
    if (r.isEmpty()) return;
    const CPixel pixel = toPixel(color);
    for (CCoord y = r.top; y < r.bottom; ++y) {
        CPixel* row = pixels_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
        for (CCoord x = r.left; x < r.right; ++x) row[x] = pixel;
    }
}

void CDrawContext::drawRect(const CRect& logicalRect, CDrawStyle style) {
    const CRect rect = toDevice(logicalRect);
    if (style != kDrawStroked) fillClipped(rect, fillColor_);
    if (style == kDrawFilled) return;
    const CCoord w = deviceLineWidth();
    fillClipped(CRect(rect.left, rect.top, rect.right, rect.top + w), frameColor_);
    fillClipped(CRect(rect.left, rect.bottom - w, rect.right, rect.bottom), frameColor_);
    fillClipped(CRect(rect.left, rect.top, rect.left + w, rect.bottom), frameColor_);
    fillClipped(CRect(rect.right - w, rect.top, rect.right, rect.bottom), frameColor_);
}

void CDrawContext::drawPoint(const CPoint& point, const CColor& color) {
    fillClipped(toDevice(CRect(point.x, point.y, point.x + 1, point.y + 1)), color);
}

void CDrawContext::lineTo(const CPoint& point) {
    drawLine(penPosition_, point);
    penPosition_ = point;
}

// Bresenham's line over device pixels with a square pen of the scaled line width, centred on each
// point; a logical point stands for the first device pixel of its block.
void CDrawContext::drawLine(const CPoint& logicalFrom, const CPoint& logicalTo) {
    const CCoord lineWidth = deviceLineWidth();
    const CPoint from(toDevice(logicalFrom.x), toDevice(logicalFrom.y));
    const CPoint to(toDevice(logicalTo.x), toDevice(logicalTo.y));
    const CCoord before = (lineWidth - 1) / 2 - (toDevice(1) - 1) / 2;
    const CCoord dx = std::abs(to.x - from.x);
    const CCoord dy = -std::abs(to.y - from.y);
    const CCoord sx = from.x < to.x ? 1 : -1;
    const CCoord sy = from.y < to.y ? 1 : -1;
    CCoord error = dx + dy;
    CPoint p = from;
    for (;;) {
        fillClipped(CRect(p.x - before, p.y - before, p.x - before + lineWidth, p.y - before + lineWidth),
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
    const graphics::GlyphFont& glyphs = font_->glyphs();
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

// The layout is the 100 % font's; the glyphs are the scale's own, from the device point of the pen.
void CDrawContext::drawGlyphs(const char* text, CPoint logicalPen, const CRect& logicalClip) {
    CRect clip = toDevice(logicalClip);
    clip.bound(deviceClip_);
    if (!text || !font_ || clip.isEmpty()) return;
    const graphics::GlyphFont& glyphs = font_->glyphs(scalePercent_);
    CPoint pen(toDevice(logicalPen.x), toDevice(logicalPen.y));
    for (; *text; ++text) {
        const graphics::FontGlyph& g = glyphs.glyph(static_cast<unsigned char>(*text));
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

void CDrawContext::copyDevicePixels(const CRect& target, const CPixel* source, CCoord sourceStride,
                                    const CPoint& sourceOrigin) {
    CRect r = target;
    r.bound(deviceClip_);
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

COffscreenContext::COffscreenContext(CCoord width, CCoord height, const CColor& background, int scalePercent)
    : CDrawContext(nullptr, 0, 0, scalePercent) {
    if (width <= 0 || height <= 0) return;
    const CCoord deviceWidth = (width * getScalePercent() + 99) / 100, deviceHeight = (height * getScalePercent() + 99) / 100;
    buffer_.assign(static_cast<std::size_t>(deviceWidth) * static_cast<std::size_t>(deviceHeight), toPixel(background));
    setPixels(buffer_.data(), deviceWidth, deviceHeight);
}
