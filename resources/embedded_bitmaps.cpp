// The bitmap table compiled into the library (Linux and other non-Windows builds).
#include "resources/bitmap_table.h"

namespace resources::detail {

std::span<const ResourceBitmap> bitmapTable(int scalePercent) {
    if (scalePercent == 150) return {kScaledBitmaps150, kScaledBitmaps150Size};
    if (scalePercent == 200) return {kScaledBitmaps200, kScaledBitmaps200Size};
    return {kBitmapTable, kBitmapTableSize};
}

}  // namespace resources::detail
