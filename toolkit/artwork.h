// The images and the glyphs the toolkit draws, handed to it by the program that uses it: bitmaps by
// numeric id at each scale, and the predefined font. The toolkit keeps no artwork of its own.
#pragma once

#include <cstdint>

#include "graphics/glyph_font.h"

namespace toolkit {

// 24-bit pixels, 3 bytes a pixel (red, green, blue), rows from the top down, no row padding. A strip
// stacks its frames vertically. Width 0: no image.
struct RgbImage {
    int width = 0;
    int height = 0;
    const std::uint8_t* rgb = nullptr;
};

// Threading: called from any user-interface thread; the data lives as long as the process.
class Artwork {
public:
    virtual ~Artwork() = default;
    // The image of this id drawn for a scale in percent (100, or a larger set), or none.
    virtual RgbImage image(int id, int scalePercent) const = 0;
    // How many frames the 100 % image of this id stacks vertically (1 for a single image).
    virtual int imageFrames(int id) const = 0;
    // The predefined font's glyphs drawn at a scale (its metrics at 100 %).
    virtual const graphics::GlyphFont& predefinedFont(int scalePercent) const = 0;
};

// The artwork every later bitmap and text is drawn from; the same for every window of the process.
// Without one, bitmaps by id are empty and text draws no ink.
void setArtwork(const Artwork* artwork);
const Artwork* artwork();

}  // namespace toolkit
