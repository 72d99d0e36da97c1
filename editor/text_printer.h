// Bitmap-font text printers of the readouts and the info panel: 5 × 8 glyphs on a 6-px pitch (8 px
// vertically), each on a filled cell, in a normal and an inverted form.
//
// A font bitmap is 5 px wide and stacks 192 glyphs of 8 px: glyphs 0–95 are the characters 32–127,
// glyphs 96–191 the same characters inverted. User-interface thread only.
#pragma once

#include "toolkit/geometry.h"

class CBitmap;
class CDrawContext;

namespace zarpa {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 8;
constexpr int kGlyphPitch = 6;
constexpr CColor kPrinterNormalColor{213, 236, 246, 255};
constexpr CColor kPrinterInvertedColor{79, 79, 79, 255};
constexpr CColor kPrinterAlertColor{229, 53, 5, 255};  // the inverted second font: a clipped peak

// The glyph of a character: (ch mod 128) − 32, plus 96 inverted; a character without a glyph gives 0.
int glyphIndex(char ch, bool inverted);

// Where the glyph of character `position` of a text starting at (x, y) lies: its baseline point moves
// 6 px right per character, or 8 px down when vertical. The cell spans (x, y − 7, x + 6, y + 1).
CRect glyphRect(const CPoint& start, int position, bool vertical);

class CTextPrinter {
public:
    explicit CTextPrinter(CBitmap* font);  // keeps its own reference
    virtual ~CTextPrinter();
    CTextPrinter(const CTextPrinter& other);
    CTextPrinter& operator=(const CTextPrinter&) = delete;

    // Prints text with its first glyph's baseline point at `at`. The context's colours are restored.
    void print(CDrawContext* context, const CPoint& at, const char* text, bool vertical, bool inverted) const;

protected:
    void printWith(CDrawContext* context, const CBitmap* font, const CColor& color, const CPoint& at,
                   const char* text, bool vertical, bool inverted) const;

    CBitmap* font_;
};

// A printer with a second font for the inverted alert form.
class CTextPrinter2Color : public CTextPrinter {
public:
    CTextPrinter2Color(CBitmap* font, CBitmap* secondFont);
    ~CTextPrinter2Color() override;
    CTextPrinter2Color(const CTextPrinter2Color& other);

    using CTextPrinter::print;
    // With secondFont, an inverted text comes from the second font on the alert colour.
    void print(CDrawContext* context, const CPoint& at, const char* text, bool vertical, bool inverted,
               bool secondFont) const;

private:
    CBitmap* secondFont_;
};

}  // namespace zarpa
