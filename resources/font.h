// The toolkit's predefined 10-pixel sans-serif font, rasterised from Liberation Sans at build time
// into glyph tables (Latin-1, characters 32 to 255).
#pragma once

#include "graphics/glyph_font.h"

namespace resources {

using graphics::FontGlyph;
using graphics::GlyphFont;

// The predefined 10-pixel sans-serif font (face "Arial", whose metric match Liberation Sans is, size 10);
// at 150 % and 200 % the same face at 15 and 20 pixels (any other scale gives the 10-pixel font).
const GlyphFont& predefinedSansFont();
const GlyphFont& predefinedSansFont(int scalePercent);

}  // namespace resources
