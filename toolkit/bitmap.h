// Reference-counted bitmaps: loaded from the module's resources by numeric id, or built blank in memory.
#pragma once

#include <vector>

#include "toolkit/base_object.h"
#include "toolkit/geometry.h"

class CDrawContext;

// An image of opaque pixels. A bitmap whose resource id does not exist is empty (width and height 0,
// isLoaded false) and draws nothing. Used on the user-interface thread.
class CBitmap : public CBaseObject {
public:
    explicit CBitmap(int resourceId);
    CBitmap(CCoord width, CCoord height);  // blank (black), for images built in code

    bool isLoaded() const { return width_ > 0 && height_ > 0; }
    int getResourceId() const { return resourceId_; }
    CCoord getWidth() const { return width_; }
    CCoord getHeight() const { return height_; }

    CPixel getPixel(CCoord x, CCoord y) const;  // 0 outside the image
    void setPixel(CCoord x, CCoord y, const CColor& color);
    void fill(const CRect& area, const CColor& color);

    // Copies the part of the image that starts at offset into dest (frame coordinates). Pixels that
    // would come from outside the image are left untouched; the context's clip rectangle applies.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = CPoint(0, 0)) const;

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CBitmap") == 0 || CBaseObject::isTypeOf(type);
    }

private:
    int resourceId_ = -1;
    CCoord width_ = 0;
    CCoord height_ = 0;
    std::vector<CPixel> pixels_;
};
