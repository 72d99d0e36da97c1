// The toolkit's predefined sans-serif font: a complete, consistent Latin-1 glyph table.
#include <gtest/gtest.h>

#include <set>

#include "resources/font.h"

namespace {

const resources::GlyphFont& font() { return resources::predefinedSansFont(); }

TEST(SansFont, IsTheTenPixelArialFaceCoveringLatin1) {
    EXPECT_STREQ(font().face, "Arial");
    EXPECT_EQ(font().size, 10);
    EXPECT_EQ(font().firstChar, 32);
    EXPECT_EQ(font().lastChar, 255);
    // A line holds the ascent and descent; a 10-px face is about 9 px above and 2 to 3 below.
    EXPECT_GE(font().lineHeight, font().ascent + font().descent - 1);
    EXPECT_GE(font().ascent, 8);
    EXPECT_LE(font().ascent, 11);
    EXPECT_GE(font().descent, 2);
    EXPECT_LE(font().descent, 4);
}

TEST(SansFont, GlyphBitmapsFollowEachOtherInTheCoverageArray) {
    std::uint32_t expectedOffset = 0;
    for (int c = font().firstChar; c <= font().lastChar; ++c) {
        const resources::FontGlyph& g = font().glyphs[c - font().firstChar];
        EXPECT_EQ(g.offset, expectedOffset) << c;
        expectedOffset += std::uint32_t(g.width) * g.height;
        // Each glyph lies within a line: no ink above the ascent plus a pixel or below the descent.
        EXPECT_LE(g.bearingY, font().ascent + 1) << c;
        EXPECT_GE(g.bearingY - g.height, -font().descent - 1) << c;
    }
}

TEST(SansFont, LettersHaveInkAndTheSpaceHasNone) {
    const resources::FontGlyph& space = font().glyph(' ');
    EXPECT_GT(space.advance, 0);
    for (int i = 0; i < space.width * space.height; ++i) EXPECT_EQ(font().coverage[space.offset + std::uint32_t(i)], 0);
    for (unsigned char ch : std::string("AZaz09%+-.\xe9\xfc")) {  // includes é and ü
        const resources::FontGlyph& g = font().glyph(ch);
        int ink = 0;
        for (int i = 0; i < g.width * g.height; ++i) ink += font().coverage[g.offset + std::uint32_t(i)];
        EXPECT_GT(ink, 255) << int(ch);
    }
}

TEST(SansFont, DigitsShareOneAdvanceSoNumbersDoNotJitter) {
    std::set<int> advances;
    for (char d = '0'; d <= '9'; ++d) advances.insert(font().glyph(static_cast<unsigned char>(d)).advance);
    EXPECT_EQ(advances.size(), 1u);
    EXPECT_GT(font().glyph('W').advance, font().glyph('i').advance);
}

TEST(SansFont, CharactersOutsideTheTableUseTheQuestionMarkAndWidthsAddUp) {
    EXPECT_EQ(&font().glyph('\n'), &font().glyph('?'));
    const int width = font().textWidth("+0.00dB");
    int sum = 0;
    for (char ch : std::string("+0.00dB")) sum += font().glyph(static_cast<unsigned char>(ch)).advance;
    EXPECT_EQ(width, sum);
    EXPECT_EQ(font().textWidth(""), 0);
    EXPECT_EQ(font().textWidth(nullptr), 0);
}

}  // namespace
