// The software rasteriser and bitmaps: what lands in which pixel, and what stays untouched.
#include <gtest/gtest.h>

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

namespace {

constexpr CColor kRed{255, 0, 0, 255};
constexpr CColor kBlue{0, 0, 255, 255};
constexpr CPixel kBlack = toPixel(kBlackCColor);

int countPixels(const CDrawContext& c, CPixel value) {
    int n = 0;
    for (CCoord y = 0; y < c.getHeight(); ++y)
        for (CCoord x = 0; x < c.getWidth(); ++x) n += c.getPixel(x, y) == value;
    return n;
}

}  // namespace

TEST(Rectangles, BoundUniteAndHitTestTreatRightAndBottomAsExclusive) {
    CRect r(10, 20, 30, 40);
    EXPECT_TRUE(r.pointInside(CPoint(10, 20)));
    EXPECT_FALSE(r.pointInside(CPoint(30, 39)));
    EXPECT_FALSE(r.pointInside(CPoint(29, 40)));
    EXPECT_EQ(CRect(r).bound(CRect(25, 0, 100, 100)), CRect(25, 20, 30, 40));
    EXPECT_TRUE(CRect(r).bound(CRect(50, 50, 60, 60)).isEmpty());
    EXPECT_EQ(CRect(r).unite(CRect()), r);  // an empty rectangle adds nothing
    EXPECT_EQ(CRect().unite(r), r);
    EXPECT_FALSE(r.rectOverlap(CRect(30, 20, 40, 40)));  // touching is not overlapping
}

TEST(DrawContext, StrokedRectangleIsABandOfLineWidthInsideTheRectangle) {
    COffscreenContext c(40, 40);
    c.setFrameColor(kRed);
    c.setFillColor(kBlue);
    c.setLineWidth(3);
    c.drawRect(CRect(5, 5, 25, 25), kDrawFilledAndStroked);
    EXPECT_EQ(c.getPixel(5, 5), toPixel(kRed));
    EXPECT_EQ(c.getPixel(7, 15), toPixel(kRed));   // third pixel of the band
    EXPECT_EQ(c.getPixel(8, 15), toPixel(kBlue));  // inside the band: the fill
    EXPECT_EQ(c.getPixel(24, 24), toPixel(kRed));
    EXPECT_EQ(c.getPixel(25, 15), kBlack);  // right edge exclusive
    EXPECT_EQ(c.getPixel(4, 15), kBlack);
    EXPECT_EQ(countPixels(c, toPixel(kRed)) + countPixels(c, toPixel(kBlue)), 20 * 20);
}

TEST(DrawContext, EveryOperationStaysInsideTheClipRectangleAndTheFramebuffer) {
    COffscreenContext c(30, 30);
    c.setClipRect(CRect(10, 10, 20, 20));
    c.setFillColor(kRed);
    c.fillRect(CRect(-100, -100, 100, 100));
    c.setFrameColor(kBlue);
    c.setLineWidth(5);
    c.drawLine(CPoint(-50, 15), CPoint(80, 15));
    c.setFontColor(kBlue);
    c.drawString("WWWWWWWW", CPoint(0, 18));
    for (CCoord y = 0; y < 30; ++y)
        for (CCoord x = 0; x < 30; ++x)
            if (!CRect(10, 10, 20, 20).pointInside(CPoint(x, y))) {
                ASSERT_EQ(c.getPixel(x, y), kBlack) << x << "," << y;
            }
    c.setClipRect(CRect(-5, -5, 500, 500));  // a clip beyond the framebuffer is cut to it
    EXPECT_EQ(c.getClipRect(), CRect(0, 0, 30, 30));
}

TEST(DrawContext, LinesIncludeBothEndsAndDiagonalsStepOnePixelAtATime) {
    COffscreenContext c(20, 20);
    c.setFrameColor(kRed);
    c.drawLine(CPoint(2, 3), CPoint(12, 3));
    EXPECT_EQ(countPixels(c, toPixel(kRed)), 11);
    c.moveTo(CPoint(0, 0));
    c.lineTo(CPoint(9, 9));
    for (CCoord i = 0; i < 10; ++i) EXPECT_EQ(c.getPixel(i, i), toPixel(kRed));
    EXPECT_EQ(c.getPixel(1, 0), kBlack);
}

TEST(DrawContext, TextIsCentredOrAlignedInsideItsAreaInTheFontColour) {
    const TestArtwork artwork;
    const ScopedArtwork given(&artwork);
    COffscreenContext c(120, 20);
    c.setFontColor(kWhiteCColor);
    c.drawString("Hi", CRect(0, 0, 120, 20), kCenterText);
    CCoord first = 120;
    CCoord last = -1;
    for (CCoord y = 0; y < 20; ++y)
        for (CCoord x = 0; x < 120; ++x)
            if (c.getPixel(x, y) != kBlack) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    ASSERT_LT(first, last);
    EXPECT_NEAR((first + last) / 2.0, 60.0, 3.0);
    const CPoint left = c.textOrigin("Hi", CRect(0, 0, 120, 20), kLeftText);
    const CPoint right = c.textOrigin("Hi", CRect(0, 0, 120, 20), kRightText);
    EXPECT_EQ(left.x, 2);
    EXPECT_EQ(right.x + c.getStringWidth("Hi"), 118);
    EXPECT_EQ(left.y, right.y);
}

TEST(Bitmaps, DrawCopiesTheSourceFromTheOffsetAndLeavesPixelsBeyondTheImageAlone) {
    CBitmap* strip = makeStrip(4, 5, 3);
    COffscreenContext c(20, 20);
    strip->draw(&c, CRect(2, 2, 6, 7), CPoint(0, 5));  // image 1
    EXPECT_EQ(imageAt(c, 2, 2), 1);
    EXPECT_EQ(imageAt(c, 5, 6), 1);
    // From a row offset of 12, only 3 rows of the image remain: the rest of the target stays black.
    strip->draw(&c, CRect(10, 0, 14, 5), CPoint(0, 12));
    EXPECT_EQ(imageAt(c, 10, 0), 2);
    EXPECT_EQ(imageAt(c, 10, 2), 2);
    EXPECT_EQ(c.getPixel(10, 3), kBlack);
    strip->forget();
}

TEST(Bitmaps, BitmapsByIdComeFromTheGivenArtworkAndAMissingIdDrawsNothing) {
    const TestArtwork artwork;
    {
        const ScopedArtwork given(&artwork);
        CBitmap strip(kTestImageId);
        ASSERT_TRUE(strip.isLoaded());
        EXPECT_EQ(strip.getWidth(), 3);
        EXPECT_EQ(strip.getHeight(), 8);
        EXPECT_EQ(strip.getPixel(2, 5), toPixel(CColor{20, 50, 1, 255}));
        // At 200 % the larger set is drawn: frame 1 starts 8 device rows down.
        COffscreenContext wide(6, 8, kBlackCColor, 200);
        strip.draw(&wide, CRect(0, 0, 3, 4), CPoint(0, 4));
        EXPECT_EQ(wide.getPixel(5, 1), toPixel(CColor{50, 90, 1, 255}));

        CBitmap missing(157);
        EXPECT_FALSE(missing.isLoaded());
        COffscreenContext c(10, 10);
        missing.draw(&c, CRect(0, 0, 10, 10));
        EXPECT_EQ(countPixels(c, kBlack), 100);
    }
    const ScopedArtwork none(nullptr);
    EXPECT_FALSE(CBitmap(kTestImageId).isLoaded()) << "no artwork given: nothing to draw";
}

TEST(Bitmaps, ReferencesKeepABitmapAliveUntilTheLastForget) {
    auto* bitmap = new CBitmap(2, 2);
    {
        CView view(CRect(0, 0, 2, 2));
        view.setBackground(bitmap);
        bitmap->forget();  // the creator lets go; the view still holds it
        EXPECT_EQ(bitmap->getNbReference(), 1);
        COffscreenContext c(2, 2, kWhiteCColor);
        view.draw(&c);
        EXPECT_EQ(c.getPixel(0, 0), kBlack);
    }
}
