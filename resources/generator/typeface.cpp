// FreeType wrapper of the generator: hinted 8-bit rendering at integral pixel sizes, so output is
// identical on every run with the same font file.
#include "typeface.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <stdexcept>
#include <string>

namespace artgen {

struct Typeface::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    double currentSize = 0;
};

Typeface::Typeface(const std::string& fontFile) : impl_(new Impl) {
    if (FT_Init_FreeType(&impl_->library) != 0) {
        delete impl_;
        throw std::runtime_error("FreeType cannot start");
    }
    if (FT_New_Face(impl_->library, fontFile.c_str(), 0, &impl_->face) != 0) {
        FT_Done_FreeType(impl_->library);
        delete impl_;
        throw std::runtime_error("cannot read font " + fontFile);
    }
}

Typeface::~Typeface() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
    delete impl_;
}

// Whole pixel sizes as before; fractional ones (at 150 %) through the 26.6 character size at 72 dpi.
void Typeface::setSize(double devicePx) const {
    if (impl_->currentSize == devicePx) return;
    const bool whole = devicePx == std::floor(devicePx);
    const FT_Error error = whole ? FT_Set_Pixel_Sizes(impl_->face, 0, FT_UInt(devicePx))
                                 : FT_Set_Char_Size(impl_->face, 0, FT_F26Dot6(std::lround(devicePx * 64)), 72, 72);
    if (error != 0) throw std::runtime_error("bad font size");
    impl_->currentSize = devicePx;
}

RasterGlyph Typeface::render(char32_t code, int sizePx) const { return renderScaled(code, sizePx); }

RasterGlyph Typeface::renderScaled(char32_t code, double devicePx) const {
    setSize(devicePx);
    RasterGlyph g;
    const FT_UInt index = FT_Get_Char_Index(impl_->face, FT_ULong(code));
    if (FT_Load_Glyph(impl_->face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return g;
    const FT_GlyphSlot slot = impl_->face->glyph;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = int(slot->bitmap.width);
    g.height = int(slot->bitmap.rows);
    g.advance = int((slot->advance.x + 32) >> 6);
    g.coverage.resize(std::size_t(g.width) * std::size_t(g.height));
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            g.coverage[std::size_t(y * g.width + x)] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
    return g;
}

int Typeface::ascent(int sizePx) const {
    setSize(sizePx);
    return int((impl_->face->size->metrics.ascender + 63) >> 6);
}

int Typeface::descent(int sizePx) const {
    setSize(sizePx);
    return int((-impl_->face->size->metrics.descender + 63) >> 6);
}

int Typeface::lineHeight(int sizePx) const {
    setSize(sizePx);
    return int((impl_->face->size->metrics.height + 32) >> 6);
}

namespace {

// The code points of a UTF-8 text (the artwork's texts are written in UTF-8 source).
std::u32string decodeUtf8(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t code = extra == 0 ? lead : char32_t(lead & (0x3F >> extra));
        for (int k = 1; k <= extra && i + std::size_t(k) < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + std::size_t(k)]) & 0x3F);
        out.push_back(code);
        i += std::size_t(extra) + 1;
    }
    return out;
}

}  // namespace

int Typeface::deviceMeasure(std::string_view text, double devicePx, int deviceTracking) const {
    const std::u32string codes = decodeUtf8(text);
    int width = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        width += renderScaled(codes[i], devicePx).advance;
        if (i + 1 < codes.size()) width += deviceTracking;
    }
    return width;
}

// Measured at the scale of the images being drawn, in logical pixels, so layouts agree with draw.
int Typeface::measure(std::string_view text, int sizePx, int tracking) const {
    const double s = drawingScale();
    return int(std::lround(deviceMeasure(text, sizePx * s, int(std::lround(tracking * s))) / s));
}

void Typeface::draw(Image& img, double x, int baseline, std::string_view text, int sizePx, Rgb colour,
                    Align align, int tracking) const {
    const double s = img.scale();
    const double devicePx = sizePx * s;
    const int deviceTracking = int(std::lround(tracking * s));
    const int width = deviceMeasure(text, devicePx, deviceTracking);
    double start = x * s;
    if (align == Align::Centre) start = x * s - width / 2.0;
    if (align == Align::Right) start = x * s - width;
    int pen = int(std::lround(start));
    const int deviceBaseline = int(std::lround(baseline * s));
    for (char32_t code : decodeUtf8(text)) {
        const RasterGlyph g = renderScaled(code, devicePx);
        for (int y = 0; y < g.height; ++y)
            for (int i = 0; i < g.width; ++i)
                img.blendDevice(pen + g.left + i, deviceBaseline - g.top + y, colour,
                                g.coverage[std::size_t(y * g.width + i)] / 255.0);
        pen += g.advance + deviceTracking;
    }
}

}  // namespace artgen
