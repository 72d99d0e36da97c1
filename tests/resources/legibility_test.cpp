// Every text of the artwork can be read at 100 %: legends and labels stand at least 4.5:1 against what
// lies behind them, panel labels are drawn with readable capitals, and scale numbers keep clear of ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bitmap_access.h"

namespace {

using restest::Pixel;
using restest::pixelAt;

double relativeLuminance(const Pixel& p) {
    const auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(p.r) + 0.7152 * channel(p.g) + 0.0722 * channel(p.b);
}

double contrast(const Pixel& a, const Pixel& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr double kMinimumContrast = 4.5;
// Fully inked pixels of a legend or label: enough of them that the text reads, not a stray pixel.
constexpr int kMinimumInkPixels = 6;

TEST(Legibility, EveryKeyLegendStandsOutFromItsFaceInEveryState) {
    // The 33 × 19 keys with text legends, all their frames.
    for (int id : {139, 140, 142, 143, 144, 145, 160, 162, 163, 164, 165, 166}) {
        const resources::ResourceBitmap& b = *resources::findBitmap(id);
        for (int frame = 0; frame < b.height / 19; ++frame) {
            int ink = 0;
            for (int y = 4; y < 15; ++y) {
                const Pixel face = pixelAt(b, 3, frame * 19 + y);  // left of every legend
                for (int x = 4; x < 29; ++x)
                    if (contrast(pixelAt(b, x, frame * 19 + y), face) >= kMinimumContrast) ++ink;
            }
            EXPECT_GE(ink, kMinimumInkPixels) << "bitmap " << id << " frame " << frame;
        }
    }
}

struct Label {
    const char* text;
    int centreX, baseline;
};

TEST(Legibility, SecondaryPanelLabelsHaveContrastAndReadableCapitals) {
    const Label labels[] = {{"ORDER", 60, 68},       {"BITS", 428, 106},   {"SHAPING", 465, 106},
                            {"HARD", 48, 117},       {"MED", 81, 117},     {"SOFT", 114, 117},
                            {"GR SOURCES", 262, 226}, {"METERING", 262, 300}, {"CALIB", 285, 337},
                            {"POST", 125, 364},      {"AUTO", 403, 364}};
    const resources::ResourceBitmap& panel = *resources::findBitmap(128);
    for (const Label& label : labels) {
        Pixel paper;  // the panel behind the label: its lightest pixel (the labels are dark)
        for (int y = label.baseline - 10; y <= label.baseline; ++y)
            for (int x = label.centreX - 12; x <= label.centreX + 12; ++x)
                if (pixelAt(panel, x, y).luma() > paper.luma()) paper = pixelAt(panel, x, y);
        int ink = 0, topRow = label.baseline, bottomRow = 0;
        for (int y = label.baseline - 10; y <= label.baseline; ++y) {
            for (int x = label.centreX - 12; x <= label.centreX + 12; ++x) {
                if (contrast(pixelAt(panel, x, y), paper) < kMinimumContrast) continue;
                ++ink;
                topRow = std::min(topRow, y);
                bottomRow = std::max(bottomRow, y);
            }
        }
        EXPECT_GE(ink, kMinimumInkPixels) << label.text;
        EXPECT_GE(bottomRow - topRow + 1, 6) << label.text << ": capitals at least 6 px high";
    }
}

// In every row of a scale that carries a tick, the two pixels after the tick's end are dark well: a
// number (and its minus sign, which sits on the tick's row) never touches the tick.
void expectClearanceAfterTicks(const resources::ResourceBitmap& b, int leftTickStart, int rightTickEnd, int id) {
    const int well = pixelAt(b, leftTickStart, 0).luma();
    const auto lit = [&](int x, int y) { return pixelAt(b, x, y).luma() > well + 40; };
    int ticks = 0;
    for (int y = 0; y < b.height; ++y) {
        if (!lit(leftTickStart, y) || !lit(rightTickEnd, y)) continue;
        ++ticks;
        int left = leftTickStart, right = rightTickEnd;
        while (lit(left + 1, y)) ++left;
        while (lit(right - 1, y)) --right;
        for (int gap = 1; gap <= 2; ++gap) {
            EXPECT_FALSE(lit(left + gap, y)) << "bitmap " << id << " row " << y << " after the left tick";
            EXPECT_FALSE(lit(right - gap, y)) << "bitmap " << id << " row " << y << " before the right tick";
        }
    }
    EXPECT_GT(ticks, 20) << "bitmap " << id;
}

TEST(Legibility, MeterScaleNumbersKeepClearOfTheTicks) {
    for (int id : {131, 132, 133, 134, 135, 136}) expectClearanceAfterTicks(*resources::findBitmap(id), 1, 25, id);
    expectClearanceAfterTicks(*resources::findBitmap(167), 17, 40, 167);
}

}  // namespace
