// Font descriptions and the toolkit's predefined 10-pixel sans-serif font.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/base_object.h"
#include "toolkit/geometry.h"

namespace graphics {
struct GlyphFont;
}

// A font by face name and size. The toolkit carries one rasterised face, so every description draws
// with the glyphs of the predefined font; name and size are what the layout code reads. Immutable.
class CFontDesc : public CBaseObject {
public:
    CFontDesc(const char* name, CCoord size, std::int32_t style = 0);

    const char* getName() const { return name_.c_str(); }
    CCoord getSize() const { return size_; }
    std::int32_t getStyle() const { return style_; }

    const graphics::GlyphFont& glyphs() const;  // at 100 %: the layout's metrics
    const graphics::GlyphFont& glyphs(int scalePercent) const;  // the glyphs drawn at a scale
    CCoord getStringWidth(const char* text) const;

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CFontDesc") == 0 || CBaseObject::isTypeOf(type);
    }

private:
    std::string name_;
    CCoord size_;
    std::int32_t style_;
};

using CFontRef = CFontDesc*;

// The predefined font: face "Arial", size 10. It lives as long as the process; views remember and
// forget it like any font, and the last forget never comes because the toolkit keeps one reference.
extern const CFontRef kNormalFontSmaller;
