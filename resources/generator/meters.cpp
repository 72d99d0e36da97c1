// Level-meter strips and scales, and the gain-reduction meter. All level artwork is laid out at
// 6 px per dB so that a bar filled to a level ends exactly at that level's scale mark:
//  - peak strips (130 lit, 155 unlit): strip row 120 - 6·d is the top row of a bar at d dBFS;
//  - K strips (154 lit, 129 unlit): strip row 144 - 6·k is the top row of a bar at k dB on the
//    K scale of the meter's mode (the editor's draw offsets align 0 dB K with row 144 in all modes);
//  - scales: scale row (z - 6·k) is the top row of a bar at k, with z = 76 for peak and K-12, 88 for
//    K-14, 124 for K-20; the dark separator row just above it carries the tick.
// Each 1-dB step of a strip is a 5-row segment and a 1-row separator, separators on the tick rows.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "artwork.h"

namespace artgen {

namespace {

namespace pal = palette;

constexpr int kStripWidth = 15, kStripHeight = 432;
constexpr int kScaleWidth = 27, kScaleHeight = 367;
constexpr int kPeakZeroRow = 120;  // peak strips: top row of a bar at 0 dBFS
constexpr int kKZeroRow = 144;     // K strips: top row of a bar at 0 dB K

struct Zones {
    int amberFrom;  // lowest 1-dB segment drawn amber
    int redFrom;    // lowest 1-dB segment drawn red
};
constexpr Zones kPeakZones{-6, 0};  // amber from -6 dBFS, red above full scale
constexpr Zones kKZones{0, 4};      // the K-system's green, amber to +4, red above

// Rounds down for negative numbers too.
int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Brightness across the bar's width: a rounded, glassy segment.
double columnShade(int x) {
    const double u = (x - (kStripWidth - 1) / 2.0) / (kStripWidth / 2.0);
    return 0.80 + 0.20 * (1 - u * u);
}

Image levelStrip(int zeroRow, Zones zones, bool lit) {
    Image strip(kStripWidth, kStripHeight);
    for (int s = 0; s < kStripHeight; ++s) {
        const int segment = floorDiv(zeroRow - 1 - s, 6);  // the 1-dB step [segment, segment + 1]
        const bool separator = (zeroRow - 1 - s) % 6 == 0;
        const Rgb zone = segment >= zones.redFrom     ? pal::kMeterRed
                         : segment >= zones.amberFrom ? pal::kMeterAmber
                                                      : pal::kMeterGreen;
        for (int x = 0; x < kStripWidth; ++x) {
            Rgb c = lit ? scale(zone, columnShade(x)) : mix(pal::kWell, scale(zone, columnShade(x)), 0.16);
            if (separator) c = lit ? mix(c, pal::kWell, 0.55) : pal::kWell;
            strip.set(x, s, c);
        }
    }
    return strip;
}

std::string dbText(int value) {
    std::string text = value > 0 ? "+" : value < 0 ? "\u2212" : "";  // a real minus sign
    text += std::to_string(value < 0 ? -value : value);
    return text;
}

// A scale between two bars: ticks on both edges (every dB, longer at numbered values) and numbers
// centred on their ticks. The ticks stay short so that every number keeps two pixels or more of dark
// well to either side, and a minus sign never reads as part of the tick beside it.
constexpr int kMajorTick = 3, kMinorTick = 2;

void paintScaleNumber(Image& img, const Fonts& fonts, int tickRow, int value, Rgb colour) {
    const Typeface& face = value == 0 ? fonts.bold : fonts.regular;
    face.draw(img, img.width() / 2.0, tickRow + 3, dbText(value), 8, colour, Align::Centre);
}

Image levelScale(const Fonts& fonts, int zeroRowOfScale, int top, int bottom, const std::vector<int>& labels) {
    Image img(kScaleWidth, kScaleHeight, pal::kWell);
    for (int k = bottom; k <= top; ++k) {
        const int row = zeroRowOfScale - 6 * k - 1;  // the separator just above a bar at k
        const bool major = std::find(labels.begin(), labels.end(), k) != labels.end();
        const int len = major ? kMajorTick : kMinorTick;
        const Rgb c = major ? pal::kScaleText : pal::kScaleTick;
        fillBox(img, {1, row, 1 + len, row + 1}, c);
        fillBox(img, {kScaleWidth - 1 - len, row, kScaleWidth - 1, row + 1}, c);
        if (major) paintScaleNumber(img, fonts, row, k, k == 0 ? rgb(240, 244, 248) : pal::kScaleText);
    }
    return img;
}

std::vector<int> stepsFrom(int top, int bottom, int step) {
    std::vector<int> v;
    for (int k = top; k >= bottom; k -= step) v.push_back(k);
    return v;
}

}  // namespace

void drawLevelMeters(const Fonts& fonts, BitmapSet& out) {
    out[130] = levelStrip(kPeakZeroRow, kPeakZones, true);
    out[155] = levelStrip(kPeakZeroRow, kPeakZones, false);
    out[154] = levelStrip(kKZeroRow, kKZones, true);
    out[129] = levelStrip(kKZeroRow, kKZones, false);

    // Peak and K-12 share one scale: +12 down to -48, numbered every 3 dB, then every 6 dB.
    std::vector<int> peakLabels = stepsFrom(12, -24, 3);
    for (int k : {-30, -36, -42, -48}) peakLabels.push_back(k);
    const Image peak = levelScale(fonts, 76, 12, -48, peakLabels);
    const Image k14 = levelScale(fonts, 88, 14, -46, stepsFrom(12, -44, 4));
    const Image k20 = levelScale(fonts, 124, 20, -40, stepsFrom(20, -40, 4));
    // Input and output meters use the same scales.
    out[131] = k20;
    out[132] = k14;
    out[133] = peak;
    out[134] = k20;
    out[135] = k14;
    out[136] = peak;
}

void drawGainMeter(const Fonts& fonts, BitmapSet& out) {
    constexpr int kWidth = 58, kFrameHeight = 153, kBarRows = 145, kTopRow = 3;
    constexpr int kBarColumns[2] = {1, 42};  // the bars' columns inside the meter

    // The bar: drawn from the top down over the unlit wells of the scale.
    Image bar(15, 203);
    for (int y = 0; y < bar.height(); ++y)
        for (int x = 0; x < bar.width(); ++x) {
            Rgb c = scale(pal::kGainAmber, columnShade(x));
            if (y % 6 == 1) c = scale(c, 0.78);  // faint 6-px texture matching the scale's ticks
            bar.set(x, y, c);
        }
    out[156] = bar;

    // Scale frames: normal (6 px per dB, 24 dB) and zoomed (12 px per dB, 12 dB). A reduction of g dB
    // lights the rows down to kTopRow + pxPerDb·g, where its tick sits.
    Image frames = Image::stripOf(Image(kWidth, kFrameHeight), 2);
    for (int zoomed = 0; zoomed < 2; ++zoomed) {
        Image img(kWidth, kFrameHeight, pal::kWell);
        for (int col : kBarColumns)
            for (int y = kTopRow; y < kTopRow + kBarRows; ++y)
                for (int x = 0; x < 15; ++x)
                    img.set(col + x, y, mix(pal::kWell, scale(pal::kGainAmber, columnShade(x)), 0.13));
        const int pxPerDb = zoomed ? 12 : 6;
        const int range = zoomed ? 12 : 24;
        const std::vector<int> labels =
            zoomed ? stepsFrom(12, 0, 1) : std::vector<int>{0, 2, 4, 6, 8, 10, 12, 15, 18, 21, 24};
        for (int half = 0; half <= 2 * range; ++half) {
            if (zoomed == 0 && half % 2) continue;  // minor ticks: every dB, every half dB zoomed
            const int row = kTopRow + pxPerDb * half / 2;
            const bool major = half % 2 == 0 && std::find(labels.begin(), labels.end(), half / 2) != labels.end();
            const int len = major ? kMajorTick : kMinorTick;
            const Rgb c = major ? pal::kScaleText : pal::kScaleTick;
            fillBox(img, {17, row, 17 + len, row + 1}, c);
            fillBox(img, {41 - len, row, 41, row + 1}, c);
            if (major) paintScaleNumber(img, fonts, row, -(half / 2), pal::kScaleText);
        }
        frames.pasteDevice(img, 0, zoomed * img.deviceHeight());
    }
    out[167] = frames;
}

}  // namespace artgen
