// Lookups in the bitmap table and the glyph table.
#include <algorithm>
#include <span>

#include "resources/bitmap_table.h"

namespace resources {

const ResourceBitmap* findBitmap(int id) {
    const std::span<const ResourceBitmap> table = detail::bitmapTable();
    const auto it = std::lower_bound(table.begin(), table.end(), id,
                                     [](const ResourceBitmap& b, int wanted) { return b.id < wanted; });
    return it != table.end() && it->id == id ? &*it : nullptr;
}

std::size_t bitmapCount() { return detail::bitmapTable().size(); }

const ResourceBitmap& bitmapAt(std::size_t index) {
    static const ResourceBitmap kNone{0, 0, 0, nullptr};
    const std::span<const ResourceBitmap> table = detail::bitmapTable();
    return index < table.size() ? table[index] : kNone;
}

const GlyphFont& predefinedSansFont() { return detail::kSansFont; }

}  // namespace resources
