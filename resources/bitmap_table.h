// The generated tables behind resources.h and font.h (defined in the generator's output sources).
#pragma once

#include <cstddef>

#include "resources/font.h"
#include "resources/resources.h"

namespace resources::detail {

extern const ResourceBitmap kBitmapTable[];  // ascending ids
extern const std::size_t kBitmapTableSize;
extern const GlyphFont kSansFont;

}  // namespace resources::detail
