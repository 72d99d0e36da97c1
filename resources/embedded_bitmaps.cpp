// The bitmap table compiled into the library (Linux and other non-Windows builds).
#include "resources/bitmap_table.h"

namespace resources::detail {

std::span<const ResourceBitmap> bitmapTable() { return {kBitmapTable, kBitmapTableSize}; }

}  // namespace resources::detail
