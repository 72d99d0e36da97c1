// Places frames of the generated bitmaps where the editor draws them: knobs at their default values,
// a few keys lit, meters showing a level, readouts printed with the 5 × 8 font.
#include "preview.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "layout.h"

namespace artgen {

namespace {

using namespace layout;

// Copies device pixels of a bitmap, from device row sourceTop on, into the device pixels the window's
// box covers: what the editor's drawing does at every scale.
void blitDevice(Image& window, const Image& bitmap, Box at, int sourceTop) {
    const int x0 = window.device(at.left), x1 = window.device(at.right);
    const int y0 = window.device(at.top), y1 = window.device(at.bottom);
    for (int y = y0; y < y1; ++y) {
        const int sy = sourceTop + (y - y0);
        if (sy < 0 || sy >= bitmap.deviceHeight()) continue;
        for (int x = x0; x < x1 && x - x0 < bitmap.deviceWidth(); ++x) window.setDevice(x, y, bitmap.deviceAt(x - x0, sy));
    }
}

// Frame `frame` (of the box's height) of a film strip, whose frames lie ceil(height · scale) rows apart.
void blitFrame(Image& window, const Image& bitmap, Box at, int frame) {
    blitDevice(window, bitmap, at, frame * int(std::ceil(at.height() * bitmap.scale() - 1e-9)));
}

// Rows of a one-frame bitmap (a meter strip, the font) from a logical row on.
void blitRows(Image& window, const Image& bitmap, Box at, int sourceTop) {
    blitDevice(window, bitmap, at, int(std::floor(sourceTop * bitmap.scale() + 1e-9)));
}

int knobFrame(double value) { return int(std::lround(value * 100)); }

int barPixels(double db, double floor) { return std::clamp(int((db - floor) * 6 + 0.5), 0, 360); }

void peakMeter(Image& w, const BitmapSet& b, const Box bars[2], Box scale, const double peaks[2]) {
    blitFrame(w, b.at(133), scale, 0);
    for (int i = 0; i < 2; ++i) {
        const int u = barPixels(peaks[i], -48);
        blitRows(w, b.at(130), {bars[i].left, 402 - u, bars[i].right, 402}, 408 - u);
        blitRows(w, b.at(155), {bars[i].left, 42, bars[i].right, 402 - u}, 48);
    }
}

void kMeter(Image& w, const BitmapSet& b, const Box bars[2], Box scale, int scaleId, int base, int unlit,
            const double levels[2], const double peaks[2]) {
    blitFrame(w, b.at(scaleId), scale, 0);
    for (int i = 0; i < 2; ++i) {
        const int u = barPixels(levels[i], -60);
        blitRows(w, b.at(154), {bars[i].left, 402 - u, bars[i].right, 402}, base - u);
        blitRows(w, b.at(129), {bars[i].left, 42, bars[i].right, 402 - u}, unlit);
        const int p = barPixels(peaks[i], -60);
        if (p >= 3) blitRows(w, b.at(154), {bars[i].left, 402 - p, bars[i].right, 402 - p + 3}, base - p);
    }
}

// The readouts' printer: a filled 6-px cell per character, the glyph over it.
void print(Image& w, const Image& font, int x, int y, const std::string& text, bool inverted, Rgb cell) {
    for (char ch : text) {
        int g = (static_cast<unsigned char>(ch) % 128) - 32 + (inverted ? 96 : 0);
        if (g < 0 || g > 191) g = 0;
        fillBox(w, {x, y - 7, x + 6, y + 1}, cell);
        blitRows(w, font, {x, y - 7, x + 5, y + 1}, 8 * g);
        x += 6;
    }
}

void readout(Image& w, const BitmapSet& b, Box r, const std::string& left, const std::string& label,
             const std::string& right, bool leftClip) {
    const int L = r.left, B = r.bottom;
    const Rgb ink = rgb(79, 79, 79), paper = rgb(213, 236, 246), red = rgb(229, 53, 5);
    print(w, b.at(137), L + 35 + (label.size() < 4 ? 3 : 0), B - 2, label, false, paper);
    fillBox(w, {L + 1, B - 10, L + 32, B - 1}, leftClip ? red : ink);
    print(w, b.at(leftClip ? 138 : 137), L + 2 + 15 - 3 * int(left.size()), B - 2, left, true, leftClip ? red : ink);
    fillBox(w, {L + 61, B - 10, L + 92, B - 1}, ink);
    print(w, b.at(137), L + 62 + 15 - 3 * int(right.size()), B - 2, right, true, ink);
}

}  // namespace

Image composePreview(const BitmapSet& b) {
    Image w = b.at(128);
    blitFrame(w, b.at(152), kTransientKnob, knobFrame(0.2));
    blitFrame(w, b.at(153), kReleaseKnob, knobFrame(0.7237));
    blitFrame(w, b.at(147), kLevellerKnob, knobFrame(0.75));
    blitFrame(w, b.at(148), kLinkKnob, knobFrame(1.0));
    blitFrame(w, b.at(150), kDriveKnob, knobFrame(0.62));
    blitFrame(w, b.at(151), kOutputKnob, knobFrame(0.98));
    blitFrame(w, b.at(139), kDetectorOrder, 1);
    blitFrame(w, b.at(140), kOversample, 1);
    blitFrame(w, b.at(162), kQuantize, 1);
    blitFrame(w, b.at(163), kAutoblack, 1);
    blitFrame(w, b.at(142), kBits, 4);
    blitFrame(w, b.at(143), kNoiseShape, 5);
    blitFrame(w, b.at(165), kShowTransient, 1);
    blitFrame(w, b.at(166), kShowLeveller, 1);
    blitFrame(w, b.at(164), kShowRelease, 1);
    blitFrame(w, b.at(144), kAttZoom, 0);
    blitFrame(w, b.at(141), kMeterMode, 4);
    blitFrame(w, b.at(160), kMeterOvs, 2);
    blitFrame(w, b.at(145), kCalibrate, 0);
    blitFrame(w, b.at(146), kTransShape, 0);
    blitFrame(w, b.at(149), kPower, 1);
    blitFrame(w, b.at(161), kAutoOut, 0);
    blitFrame(w, b.at(161), kPostMeter, 1);

    const double inPeaks[2] = {-3.2, -1.1};
    peakMeter(w, b, kInputBars, kInputScale, inPeaks);
    const double outPeaks[2] = {-0.3, -0.3}, outLevels[2] = {-13.0, -12.2};
    kMeter(w, b, kOutputBars, kOutputScale, 132, 420, 60, outLevels, outPeaks);

    blitFrame(w, b.at(167), kGainMeter, 0);
    for (int i = 0; i < 2; ++i) {
        const int len = i == 0 ? 37 : 25;
        blitRows(w, b.at(156), {kGainBars[i].left, 42, kGainBars[i].right, 42 + len}, 0);
    }
    readout(w, b, kInputReadout, "+0.4", "dBFS", "-1.1", true);
    readout(w, b, kOutputReadout, "+13.7", "dBr", "+13.7", false);
    readout(w, b, kGainReadout, "-6.0", "dB", "-4.1", false);

    blitFrame(w, b.at(991), kSaveBank, 0);
    blitFrame(w, b.at(992), kDefaultBank, 1);
    blitFrame(w, b.at(990), kLoadBank, 0);
    blitFrame(w, b.at(991), kSavePreset, 1);
    blitFrame(w, b.at(993), kDefaultPreset, 0);
    blitFrame(w, b.at(990), kLoadPreset, 2);
    blitFrame(w, b.at(995), kRocker, 2);
    blitFrame(w, b.at(991), kMemoAStore, 0);
    blitFrame(w, b.at(990), kMemoARecall, 0);
    blitFrame(w, b.at(991), kMemoBStore, 0);
    blitFrame(w, b.at(990), kMemoBRecall, 0);
    return w;
}

}  // namespace artgen
