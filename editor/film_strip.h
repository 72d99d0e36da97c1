// Drawing one frame of a film strip (frames of equal height stacked vertically, frame 0 at the top).
#pragma once

#include "toolkit/bitmap.h"
#include "toolkit/sub_image.h"

namespace zarpa {

inline void drawFrame(CDrawContext* context, const CBitmap* bitmap, const CRect& rect, int frame, CCoord frameHeight) {
    if (bitmap) bitmap->draw(context, rect, subImageOffset(CPoint(0, 0), frame, frameHeight));
}

}  // namespace zarpa
