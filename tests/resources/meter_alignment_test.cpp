// The meters draw strips and scales with fixed offsets; these tests replay that drawing arithmetic
// and check that a bar at a level ends on that level's scale mark, on a segment separator, and is
// coloured by the zone the level lies in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "bitmap_access.h"
#include "layout/window_layout.h"

namespace {

using restest::Pixel;
using restest::pixelAt;

constexpr int kBarBottom = zarpa::window::kLevelBarBottom;
constexpr int kScaleTop = zarpa::window::kInputMeterLayout.scale.top;  // the same for both meters

// Bar height in pixels for a level in dB above a floor: 6 px per dB, rounded, 0 to 360.
int barPixels(double db, double floor) { return std::clamp(int((db - floor) * 6 + 0.5), 0, 360); }

const resources::ResourceBitmap& bmp(int id) { return *resources::findBitmap(id); }

bool isTick(Pixel p) { return p.luma() > 90; }
bool isRed(Pixel p) { return p.r > 180 && p.g < 110; }
bool isAmber(Pixel p) { return p.r > 180 && p.g > 140 && p.b < 120; }
bool isGreen(Pixel p) { return p.g > 150 && p.g > p.r + 40; }

// One meter mode: the scale bitmaps (input, output), the floor of the bar, the lit strip and the
// source row the editor draws the bar's top from (base - u), and the offset of the scale's numbers.
struct Mode {
    const char* name;
    int inputScale, outputScale;
    double floor;
    int litStrip, base;
    int scaleOffset;  // scale reading = dBFS + offset
    int top, bottom;  // scale range
};

namespace window = zarpa::window;
constexpr window::LevelMeterLayout kIn = window::kInputMeterLayout, kOut = window::kOutputMeterLayout;

constexpr Mode kModes[] = {
    {"peak", kIn.scalePeakK12, kOut.scalePeakK12, -48, window::bitmap::kPeakLitBar, window::kPeakStripRows.litBase,
     0, 12, -48},
    {"K-12", kIn.scalePeakK12, kOut.scalePeakK12, -60, window::bitmap::kKLitBar, window::kKStripRows[0].litBase, 12,
     12, -48},
    {"K-14", kIn.scaleK14, kOut.scaleK14, -60, window::bitmap::kKLitBar, window::kKStripRows[1].litBase, 14, 14, -46},
    {"K-20", kIn.scaleK20, kOut.scaleK20, -60, window::bitmap::kKLitBar, window::kKStripRows[2].litBase, 20, 20, -40},
};

TEST(MeterAlignment, BarsAtWholeDecibelsEndOnAScaleTickAndASegmentSeparator) {
    for (const Mode& m : kModes) {
        for (int k = m.bottom + 1; k <= m.top; ++k) {
            const int u = barPixels(k - m.scaleOffset, m.floor);
            const int scaleRow = kBarBottom - u - kScaleTop;  // bar top, in scale rows
            for (int scaleId : {m.inputScale, m.outputScale}) {
                const auto& scale = bmp(scaleId);
                // Column 25 faces the right bar and is visible in both meters.
                EXPECT_TRUE(isTick(pixelAt(scale, 25, scaleRow - 1))) << m.name << " " << k << " dB, scale " << scaleId;
                EXPECT_FALSE(isTick(pixelAt(scale, 25, scaleRow + 2))) << m.name << " " << k << " dB, scale " << scaleId;
            }
            const auto& strip = bmp(m.litStrip);
            const int stripRow = m.base - u;
            EXPECT_LT(pixelAt(strip, 7, stripRow - 1).luma(), pixelAt(strip, 7, stripRow).luma() - 20)
                << m.name << " " << k << " dB: the row above a full segment is its separator";
        }
    }
}

TEST(MeterAlignment, UnlitStripsShareTheLitStripsSegments) {
    // Above the bar the unlit strip is drawn from a fixed source offset, below its top the lit strip
    // from (base - u); for the segments to run on unbroken, both must put separators on the same
    // window rows.
    struct Pair {
        const char* name;
        int lit, unlit, litBase, unlitOffset;
    };
    auto separator = [](const resources::ResourceBitmap& strip, int row) {
        return pixelAt(strip, 7, row).luma() < pixelAt(strip, 7, row + 1).luma();
    };
    for (Pair p : {Pair{"peak", 130, 155, 408, 48}, Pair{"K-12", 154, 129, 432, 72}, Pair{"K-14", 154, 129, 420, 60},
                   Pair{"K-20", 154, 129, 384, 24}}) {
        for (int y = 42; y < kBarBottom - 1; ++y) {
            const int litRow = y + p.litBase - kBarBottom, unlitRow = y + p.unlitOffset - 42;
            EXPECT_EQ(separator(bmp(p.lit), litRow), separator(bmp(p.unlit), unlitRow)) << p.name << ", window row " << y;
        }
    }
}

TEST(MeterAlignment, PeakBarsTurnAmberAboveMinusSixAndRedAboveFullScale) {
    auto colourAt = [](double dbfs) { return pixelAt(bmp(window::bitmap::kPeakLitBar), 7, window::kPeakStripRows.litBase - barPixels(dbfs, -48)); };
    EXPECT_TRUE(isGreen(colourAt(-6.5)));
    EXPECT_TRUE(isAmber(colourAt(-5.5)));
    EXPECT_TRUE(isAmber(colourAt(-0.5)));
    EXPECT_TRUE(isRed(colourAt(0.5)));
    EXPECT_TRUE(isRed(colourAt(11.5)));
}

TEST(MeterAlignment, KBarsAreGreenBelowReferenceAmberToPlusFourAndRedAbove) {
    for (const Mode& m : kModes) {
        if (m.litStrip != 154) continue;
        auto colourAt = [&](double k) { return pixelAt(bmp(window::bitmap::kKLitBar), 7, m.base - barPixels(k - m.scaleOffset, -60)); };
        EXPECT_TRUE(isGreen(colourAt(-0.5))) << m.name;
        EXPECT_TRUE(isAmber(colourAt(0.5))) << m.name;
        EXPECT_TRUE(isAmber(colourAt(3.5))) << m.name;
        EXPECT_TRUE(isRed(colourAt(4.5))) << m.name;
    }
}

TEST(MeterAlignment, GainReductionTicksMarkWhereTheBarEnds) {
    const auto& scale = bmp(167);
    for (int zoomed = 0; zoomed < 2; ++zoomed) {
        const int pxPerDb = zoomed ? 12 : 6, range = zoomed ? 12 : 24;
        for (int g = 1; g <= range; ++g) {
            // The meter's bar length for a reduction of g dB, drawn from y 42 down; scale frame top is 39.
            const int length = std::clamp(1 - int(std::trunc(-g * pxPerDb - 0.5)), 0, 145);
            const int lastRow = 42 + length - 1 - 39 + zoomed * 153;
            EXPECT_TRUE(isTick(pixelAt(scale, 17, lastRow))) << g << " dB, zoom " << zoomed;
            EXPECT_TRUE(isTick(pixelAt(scale, 40, lastRow))) << g << " dB, zoom " << zoomed;
            EXPECT_FALSE(isTick(pixelAt(scale, 17, lastRow + 2))) << g << " dB, zoom " << zoomed;
        }
    }
}

TEST(MeterAlignment, GainReductionScaleLeavesDarkWellsWhereTheBarsGrow) {
    // Bars cover x 234..248 and 275..289 from y 42 to at most 186 (frame columns 1 and 42, rows 3..147);
    // the unlit well there must be dark in both frames so that only the bar reads as lit.
    const auto& scale = bmp(167);
    for (int frame = 0; frame < 2; ++frame)
        for (int row = 3; row < 148; row += 4)
            for (int col : {1, 8, 15, 42, 49, 56})
                EXPECT_LT(pixelAt(scale, col, frame * 153 + row).luma(), 60) << col << ", " << row;
    EXPECT_GT(pixelAt(bmp(156), 7, 0).luma(), 120) << "the bar itself is bright";
}

}  // namespace
