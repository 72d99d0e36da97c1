// The readouts' 5 × 8 character set (characters 32 to 127) and the font bitmaps built from it.
#pragma once

#include "canvas.h"

namespace artgen {

constexpr int kPixelGlyphWidth = 5;
constexpr int kPixelGlyphHeight = 8;
constexpr int kPixelGlyphCount = 96;  // characters 32..127, each in normal and in inverted form

// Colours of one font bitmap: the normal form draws ink on paper, the inverted form invertedInk on
// invertedPaper. The papers equal the colours the text printer fills a character cell with, so the
// sixth (spacing) column of a cell and the glyph's own background meet without a seam.
struct PixelFontColours {
    Rgb paper, ink, invertedPaper, invertedInk;
};

// True when the glyph of character 32 + index has ink at (column, row).
bool pixelGlyphInk(int index, int column, int row);

// A 5 × 1536 bitmap: glyphs 0..95 normal, 96..191 inverted, 8 rows each, stacked downwards.
Image buildPixelFont(const PixelFontColours& colours);

}  // namespace artgen
