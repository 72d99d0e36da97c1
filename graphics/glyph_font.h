// A rasterised font as a table: glyph metrics and 8-bit coverage bitmaps of Latin-1 characters. The
// artwork generator writes such tables; the toolkit draws text with one it is given, the renderer's
// plots with their own.
#pragma once

#include <cstdint>

namespace graphics {

// One glyph. The pen sits on the baseline; the bitmap's top-left pixel is drawn at
// (penX + bearingX, baselineY - bearingY). Coverage is 0 (empty) to 255 (full ink), rows from the top,
// width bytes a row, starting at GlyphFont::coverage[offset].
struct FontGlyph {
    std::int8_t bearingX;
    std::int8_t bearingY;
    std::uint8_t width;
    std::uint8_t height;
    std::uint8_t advance;  // pen advance in whole pixels
    std::uint32_t offset;
};

struct GlyphFont {
    const char* face;   // the face name the text asks for
    int size;           // nominal size in pixels (the em height)
    int ascent;         // pixels above the baseline that a line needs
    int descent;        // pixels below the baseline that a line needs
    int lineHeight;     // baseline-to-baseline distance
    int firstChar;      // 32
    int lastChar;       // 255
    const FontGlyph* glyphs;       // lastChar - firstChar + 1 entries
    const std::uint8_t* coverage;  // all glyph bitmaps, back to back

    // The glyph of a Latin-1 character; characters outside firstChar..lastChar give the glyph of '?'.
    const FontGlyph& glyph(unsigned char ch) const {
        const int c = (ch < firstChar || ch > lastChar) ? '?' : ch;
        return glyphs[c - firstChar];
    }
    // Pen advance of a zero-terminated Latin-1 text, in pixels.
    int textWidth(const char* text) const {
        int w = 0;
        for (; text && *text; ++text) w += glyph(static_cast<unsigned char>(*text)).advance;
        return w;
    }
};


}  // namespace graphics
