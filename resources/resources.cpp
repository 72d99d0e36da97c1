// Lookups in the bitmap table and the glyph table.
#include <algorithm>
#include <span>

#include "resources/bitmap_table.h"

namespace resources {

const ResourceBitmap* findBitmap(int id) { return findBitmap(id, 100); }

bool isEditorScale(int percent) { return percent == 100 || percent == 150 || percent == 200; }

const ResourceBitmap* findBitmap(int id, int scalePercent) {
    if (!isEditorScale(scalePercent) || id < 0 || id >= 1000) return nullptr;
    const int wanted = id + detail::scaledIdOffset(scalePercent);
    const std::span<const ResourceBitmap> table = detail::bitmapTable(scalePercent);
    const auto it = std::lower_bound(table.begin(), table.end(), wanted,
                                     [](const ResourceBitmap& b, int w) { return b.id < w; });
    return it != table.end() && it->id == wanted ? &*it : nullptr;
}

std::size_t bitmapCount() { return detail::bitmapTable().size(); }

const ResourceBitmap& bitmapAt(std::size_t index) {
    static const ResourceBitmap kNone{0, 0, 0, nullptr};
    const std::span<const ResourceBitmap> table = detail::bitmapTable();
    return index < table.size() ? table[index] : kNone;
}

const GlyphFont& predefinedSansFont() { return detail::kSansFont; }

const GlyphFont& predefinedSansFont(int scalePercent) {
    return scalePercent == 150 ? detail::kSansFont150 : scalePercent == 200 ? detail::kSansFont200 : detail::kSansFont;
}

}  // namespace resources
