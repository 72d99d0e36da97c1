// Loading a resource bitmap into framebuffer pixels, and copying a part of it into a draw context.
#include "toolkit/bitmap.h"

#include "toolkit/artwork.h"
#include "toolkit/draw_context.h"

#include <algorithm>

namespace {

toolkit::RgbImage givenImage(int id, int scalePercent) {
    const toolkit::Artwork* artwork = toolkit::artwork();
    return artwork ? artwork->image(id, scalePercent) : toolkit::RgbImage{};
}

bool usable(const toolkit::RgbImage& image) { return image.width > 0 && image.height > 0 && image.rgb; }

void toPixels(const toolkit::RgbImage& resource, std::vector<CPixel>& pixels) {
    pixels.resize(static_cast<std::size_t>(resource.width) * static_cast<std::size_t>(resource.height));
    const std::uint8_t* rgb = resource.rgb;
    for (CPixel& pixel : pixels) {
        pixel = toPixel(CColor{rgb[0], rgb[1], rgb[2], 255});
        rgb += 3;
    }
}

}  // namespace

CBitmap::CBitmap(int resourceId) : resourceId_(resourceId) {
    const toolkit::RgbImage resource = givenImage(resourceId, 100);
    if (!usable(resource)) return;
    width_ = resource.width;
    height_ = resource.height;
    frames_ = toolkit::artwork()->imageFrames(resourceId);
    if (frames_ < 1 || height_ % frames_ != 0) frames_ = 1;
    toPixels(resource, pixels_);
}

const CBitmap::ScaledPixels* CBitmap::scaled(int scalePercent) const {
    if (scaled_.scalePercent == scalePercent) return &scaled_;
    const toolkit::RgbImage resource = givenImage(resourceId_, scalePercent);
    // The set must hold what this bitmap's logical size needs, frame by frame.
    const int stride = (height_ / frames_ * scalePercent + 99) / 100;
    if (!usable(resource) || resource.width < (width_ * scalePercent) / 100 || resource.height != stride * frames_)
        return nullptr;
    scaled_.scalePercent = scalePercent;
    scaled_.width = resource.width;
    scaled_.height = resource.height;
    toPixels(resource, scaled_.pixels);
    return &scaled_;
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

// At a larger scale: the device rectangle dest covers, from the device row of the offset's frame plus
// the offset inside the frame.
void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset) const {
    if (!context || !isLoaded()) return;
    const int percent = context->getScalePercent();
    if (percent == 100) {
        drawRepeated(context, dest, offset);
        return;
    }
    const ScaledPixels* set = scaled(percent);
    if (!set) {
        drawRepeated(context, dest, offset);
        return;
    }
    const CCoord frameHeight = height_ / frames_;
    const CCoord stride = set->height / frames_;
    const CCoord frame = offset.y >= 0 ? std::min<CCoord>(offset.y / frameHeight, frames_ - 1) : 0;
    const CPoint deviceOffset(context->toDevice(offset.x),
                              frame * stride + context->toDevice(offset.y - frame * frameHeight));
    const CRect target = context->toDevice(dest);
    CRect source(deviceOffset.x, deviceOffset.y, deviceOffset.x + target.getWidth(), deviceOffset.y + target.getHeight());
    source.bound(CRect(0, 0, set->width, set->height));
    CRect bounded = source;
    bounded.offset(target.left - deviceOffset.x, target.top - deviceOffset.y);
    context->copyDevicePixels(bounded, set->pixels.data(), set->width, CPoint(source.left, source.top));
}

// The 100 % pixels, each repeated over its device block (exact at 100 %).
void CBitmap::drawRepeated(CDrawContext* context, const CRect& dest, const CPoint& offset) const {
    // The part of dest whose source pixels exist, then what the context lets us touch.
    CRect source(offset.x, offset.y, offset.x + dest.getWidth(), offset.y + dest.getHeight());
    source.bound(CRect(0, 0, width_, height_));
    CRect target = source;
    target.offset(dest.left - offset.x, dest.top - offset.y);
    if (context->getScalePercent() == 100) {
        context->copyDevicePixels(target, pixels_.data(), width_, CPoint(source.left, source.top));
        return;
    }
    const CColor oldFill = context->getFillColor();
    for (CCoord y = 0; y < target.getHeight(); ++y)
        for (CCoord x = 0; x < target.getWidth(); ++x) {
            context->setFillColor(fromPixel(getPixel(source.left + x, source.top + y)));
            context->fillRect(CRect(target.left + x, target.top + y, target.left + x + 1, target.top + y + 1));
        }
    context->setFillColor(oldFill);
}
