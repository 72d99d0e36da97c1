// A picture of the whole editor as it looks in use, composed from the generated bitmaps: for looking
// at the artwork while working on it (the generator's --preview option).
#pragma once

#include "style.h"

namespace artgen {

Image composePreview(const BitmapSet& bitmaps);

}  // namespace artgen
