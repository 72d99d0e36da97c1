// Reference-counted bitmaps: taken by numeric id from the artwork the toolkit was given, or built blank in
// memory.
#pragma once

#include <vector>

#include "toolkit/base_object.h"
#include "toolkit/geometry.h"

class CDrawContext;

// An image of opaque pixels. A bitmap whose resource id does not exist is empty (width and height 0,
// isLoaded false) and draws nothing. Used on the user-interface thread.
//
// Sizes and offsets are logical (the 100 % image's). A resource bitmap drawn into a context at 150 % or
// 200 % draws the resource set drawn for that scale (loaded at its first draw there), whose frames lie
// ceil(frame height × scale) device rows apart; a bitmap built in code, or one without a larger set,
// is drawn with each pixel repeated.
class CBitmap : public CBaseObject {
public:
    explicit CBitmap(int resourceId);
    CBitmap(CCoord width, CCoord height);  // blank (black), for images built in code

    bool isLoaded() const { return width_ > 0 && height_ > 0; }
    int getResourceId() const { return resourceId_; }
    CCoord getWidth() const { return width_; }
    CCoord getHeight() const { return height_; }

    CPixel getPixel(CCoord x, CCoord y) const;  // of the 100 % image; 0 outside it
    void setPixel(CCoord x, CCoord y, const CColor& color);
    void fill(const CRect& area, const CColor& color);

    // Copies the part of the image that starts at offset into dest (frame coordinates). Pixels that
    // would come from outside the image are left untouched; the context's clip rectangle applies.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = CPoint(0, 0)) const;

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CBitmap") == 0 || CBaseObject::isTypeOf(type);
    }

private:
    struct ScaledPixels {
        int scalePercent = 0;  // 0: none loaded
        CCoord width = 0, height = 0;
        std::vector<CPixel> pixels;
    };
    const ScaledPixels* scaled(int scalePercent) const;
    void drawRepeated(CDrawContext* context, const CRect& dest, const CPoint& offset) const;

    int resourceId_ = -1;
    CCoord width_ = 0;
    CCoord height_ = 0;
    int frames_ = 1;
    std::vector<CPixel> pixels_;
    mutable ScaledPixels scaled_;  // the set of the scale drawn last
};
