// The predefined font object and text measurement with the rasterised glyph table.
#include "toolkit/font.h"

#include "resources/font.h"

CFontDesc::CFontDesc(const char* name, CCoord size, std::int32_t style)
    : name_(name ? name : ""), size_(size), style_(style) {}

const resources::GlyphFont& CFontDesc::glyphs() const { return resources::predefinedSansFont(); }

const resources::GlyphFont& CFontDesc::glyphs(int scalePercent) const {
    return resources::predefinedSansFont(scalePercent);
}

CCoord CFontDesc::getStringWidth(const char* text) const { return glyphs().textWidth(text); }

namespace {

CFontRef makePredefinedFont() {
    static CFontDesc* const font = new CFontDesc("Arial", 10);  // never released: see the header
    return font;
}

}  // namespace

const CFontRef kNormalFontSmaller = makePredefinedFont();
