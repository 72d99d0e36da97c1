// Loading a resource bitmap into framebuffer pixels, and copying a part of it into a draw context.
#include "toolkit/bitmap.h"

#include "resources/resources.h"
#include "toolkit/draw_context.h"

CBitmap::CBitmap(int resourceId) : resourceId_(resourceId) {
    const resources::ResourceBitmap* resource = resources::findBitmap(resourceId);
    if (!resource || resource->width <= 0 || resource->height <= 0 || !resource->rgb) return;
    width_ = resource->width;
    height_ = resource->height;
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    const std::uint8_t* rgb = resource->rgb;
    for (CPixel& pixel : pixels_) {
        pixel = toPixel(CColor{rgb[0], rgb[1], rgb[2], 255});
        rgb += 3;
    }
}

CBitmap::CBitmap(CCoord width, CCoord height) {
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), toPixel(kBlackCColor));
}

CPixel CBitmap::getPixel(CCoord x, CCoord y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void CBitmap::setPixel(CCoord x, CCoord y, const CColor& color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
        toPixel(color);
}

void CBitmap::fill(const CRect& area, const CColor& color) {
    CRect r = area;
    r.bound(CRect(0, 0, width_, height_));
    for (CCoord y = r.top; y < r.bottom; ++y)
        for (CCoord x = r.left; x < r.right; ++x) setPixel(x, y, color);
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset) const {
    if (!context || !isLoaded()) return;
    // The part of dest whose source pixels exist, then what the context lets us touch.
    CRect source(offset.x, offset.y, offset.x + dest.getWidth(), offset.y + dest.getHeight());
    source.bound(CRect(0, 0, width_, height_));
    CRect target = source;
    target.offset(dest.left - offset.x, dest.top - offset.y);
    context->copyPixels(target, pixels_.data(), width_, CPoint(source.left, source.top));
}
