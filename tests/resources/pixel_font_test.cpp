// The 5 × 8 fonts: 96 characters in normal and inverted form, on the paper colours the text printer
// fills each character cell with, so the spacing column and the glyph meet without a seam.
#include <gtest/gtest.h>

#include <string>

#include "bitmap_access.h"

namespace {

using restest::Pixel;
using restest::pixelAt;

constexpr int kGlyphs = 96, kGlyphHeight = 8;

struct FontColours {
    int id;
    Pixel paper, invertedPaper;
};

// The printer's cell colours: normal form (213, 236, 246); inverted form (79, 79, 79), or the clip
// red (229, 53, 5) when the second-colour font prints inverted.
constexpr FontColours kPrinterFonts[] = {
    {137, {213, 236, 246}, {79, 79, 79}},
    {138, {213, 236, 246}, {229, 53, 5}},
};

Pixel at(const resources::ResourceBitmap& font, int glyph, int x, int y) {
    return pixelAt(font, x, glyph * kGlyphHeight + y);
}

TEST(PixelFont, SpaceIsBlankPaperOfThePrintersCellColourInBothForms) {
    for (const FontColours& f : kPrinterFonts) {
        const auto& font = *resources::findBitmap(f.id);
        for (int y = 0; y < kGlyphHeight; ++y)
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(at(font, 0, x, y), f.paper) << "font " << f.id;
                EXPECT_EQ(at(font, kGlyphs, x, y), f.invertedPaper) << "font " << f.id;
            }
    }
}

TEST(PixelFont, InvertedGlyphsSwapInkAndPaperOfTheNormalOnes) {
    for (int id : {137, 138, 158, 159}) {
        const auto& font = *resources::findBitmap(id);
        const Pixel paper = at(font, 0, 0, 0), invertedPaper = at(font, kGlyphs, 0, 0);
        for (int g = 0; g < kGlyphs; ++g)
            for (int y = 0; y < kGlyphHeight; ++y)
                for (int x = 0; x < 5; ++x) {
                    const bool normalInk = at(font, g, x, y) != paper;
                    const bool invertedInk = at(font, g + kGlyphs, x, y) != invertedPaper;
                    ASSERT_EQ(normalInk, invertedInk) << "font " << id << " glyph " << g << " at " << x << ", " << y;
                }
    }
}

// The ink pattern of a character as a string of 40 '#' and '.'.
std::string pattern(const resources::ResourceBitmap& font, char ch) {
    const int g = ch - 32;
    const Pixel paper = at(font, 0, 0, 0);
    std::string s;
    for (int y = 0; y < kGlyphHeight; ++y)
        for (int x = 0; x < 5; ++x) s += at(font, g, x, y) == paper ? '.' : '#';
    return s;
}

TEST(PixelFont, EveryPrintableCharacterHasItsOwnVisibleGlyph) {
    const auto& font = *resources::findBitmap(137);
    for (char a = 33; a < 127; ++a) {
        EXPECT_NE(pattern(font, a).find('#'), std::string::npos) << "'" << a << "' is blank";
        for (char b = char(a + 1); b < 127; ++b) EXPECT_NE(pattern(font, a), pattern(font, b)) << "'" << a << "' = '" << b << "'";
    }
}

TEST(PixelFont, ReadoutCharactersLeaveTheBottomRowFreeToCentreInTheirBoxes) {
    // Readout boxes are 9 rows high with the glyph cell on rows 1..8; text without descenders must
    // keep the cell's last row empty so it sits centred.
    const auto& font = *resources::findBitmap(137);
    for (char ch : std::string("0123456789+-.dBFSroL")) EXPECT_EQ(pattern(font, ch).substr(35), ".....") << "'" << ch << "'";
    for (char ch : std::string("0123456789BFSL")) {
        const std::string p = pattern(font, ch);
        EXPECT_NE(p.substr(0, 5), ".....") << "'" << ch << "' starts on row 0";
        EXPECT_NE(p.substr(30, 5), ".....") << "'" << ch << "' ends on row 6";
    }
}

TEST(PixelFont, SecondColourFontDrawsTheSameLettersAsTheFirst) {
    const auto& first = *resources::findBitmap(137);
    for (int id : {138, 158, 159})
        for (char ch = 32; ch < 127; ++ch) EXPECT_EQ(pattern(first, ch), pattern(*resources::findBitmap(id), ch)) << id;
}

}  // namespace
