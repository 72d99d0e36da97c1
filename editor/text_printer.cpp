// Bitmap-font text printers.
#include "editor/text_printer.h"

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace zarpa {

namespace {

constexpr int kGlyphCount = 192;
constexpr int kInvertedGlyphs = 96;

void take(CBitmap* bitmap) {
    if (bitmap) bitmap->remember();
}
void drop(CBitmap* bitmap) {
    if (bitmap) bitmap->forget();
}

}  // namespace

int glyphIndex(char ch, bool inverted) {
    const int g = static_cast<unsigned char>(ch) % 128 - 32 + (inverted ? kInvertedGlyphs : 0);
    return g >= 0 && g < kGlyphCount ? g : 0;
}

CRect glyphRect(const CPoint& start, int position, bool vertical) {
    const CCoord x = start.x + (vertical ? 0 : position * kGlyphPitch);
    const CCoord y = start.y + (vertical ? position * kGlyphHeight : 0);
    return CRect(x, y - 7, x + kGlyphWidth, y + 1);
}

CTextPrinter::CTextPrinter(CBitmap* font) : font_(font) { take(font_); }
CTextPrinter::CTextPrinter(const CTextPrinter& other) : font_(other.font_) { take(font_); }
CTextPrinter::~CTextPrinter() { drop(font_); }

void CTextPrinter::print(CDrawContext* context, const CPoint& at, const char* text, bool vertical,
                         bool inverted) const {
    printWith(context, font_, inverted ? kPrinterInvertedColor : kPrinterNormalColor, at, text, vertical, inverted);
}

void CTextPrinter::printWith(CDrawContext* context, const CBitmap* font, const CColor& color, const CPoint& at,
                             const char* text, bool vertical, bool inverted) const {
    if (!context || !text) return;
    const CColor savedFrame = context->getFrameColor();
    const CColor savedFill = context->getFillColor();
    context->setFrameColor(color);
    context->setFillColor(color);
    for (int i = 0; text[i]; ++i) {
        const CRect glyph = glyphRect(at, i, vertical);
        context->fillRect(CRect(glyph.left, glyph.top, glyph.left + kGlyphPitch, glyph.bottom));
        if (font) font->draw(context, glyph, CPoint(0, kGlyphHeight * glyphIndex(text[i], inverted)));
    }
    context->setFrameColor(savedFrame);
    context->setFillColor(savedFill);
}

CTextPrinter2Color::CTextPrinter2Color(CBitmap* font, CBitmap* secondFont)
    : CTextPrinter(font), secondFont_(secondFont) {
    take(secondFont_);
}
CTextPrinter2Color::CTextPrinter2Color(const CTextPrinter2Color& other)
    : CTextPrinter(other), secondFont_(other.secondFont_) {
    take(secondFont_);
}
CTextPrinter2Color::~CTextPrinter2Color() { drop(secondFont_); }

void CTextPrinter2Color::print(CDrawContext* context, const CPoint& at, const char* text, bool vertical,
                               bool inverted, bool secondFont) const {
    if (!secondFont) {
        CTextPrinter::print(context, at, text, vertical, inverted);
        return;
    }
    const CColor color = inverted ? kPrinterAlertColor : kPrinterNormalColor;
    printWith(context, secondFont_, color, at, text, vertical, inverted);
}

}  // namespace zarpa
