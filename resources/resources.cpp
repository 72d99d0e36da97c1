// Lookups in the generated bitmap and glyph tables.
#include <algorithm>

#include "resources/bitmap_table.h"

namespace resources {

const ResourceBitmap* findBitmap(int id) {
    const ResourceBitmap* begin = detail::kBitmapTable;
    const ResourceBitmap* end = begin + detail::kBitmapTableSize;
    const ResourceBitmap* it =
        std::lower_bound(begin, end, id, [](const ResourceBitmap& b, int wanted) { return b.id < wanted; });
    return it != end && it->id == id ? it : nullptr;
}

std::size_t bitmapCount() { return detail::kBitmapTableSize; }

const ResourceBitmap& bitmapAt(std::size_t index) {
    return detail::kBitmapTable[std::min(index, detail::kBitmapTableSize - 1)];
}

const GlyphFont& predefinedSansFont() { return detail::kSansFont; }

}  // namespace resources
