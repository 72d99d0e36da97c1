// The predefined font object and text measurement with the rasterised glyph table.
#include "toolkit/font.h"

#include "toolkit/artwork.h"

namespace {

// Without artwork: every character a glyph without ink or advance.
const graphics::GlyphFont& blankFont() {
    static const graphics::FontGlyph glyphs[256 - 32] = {};
    static const std::uint8_t coverage[1] = {};
    static const graphics::GlyphFont font{"", 10, 0, 0, 0, 32, 255, glyphs, coverage};
    return font;
}

}  // namespace

CFontDesc::CFontDesc(const char* name, CCoord size, std::int32_t style)
    : name_(name ? name : ""), size_(size), style_(style) {}

const graphics::GlyphFont& CFontDesc::glyphs() const { return glyphs(100); }

const graphics::GlyphFont& CFontDesc::glyphs(int scalePercent) const {
    const toolkit::Artwork* artwork = toolkit::artwork();
    return artwork ? artwork->predefinedFont(scalePercent) : blankFont();
}

CCoord CFontDesc::getStringWidth(const char* text) const { return glyphs().textWidth(text); }

namespace {

CFontRef makePredefinedFont() {
    static CFontDesc* const font = new CFontDesc("Arial", 10);  // never released: see the header
    return font;
}

}  // namespace

const CFontRef kNormalFontSmaller = makePredefinedFont();
