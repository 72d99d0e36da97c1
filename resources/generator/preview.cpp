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

// A level meter in peak mode (K-system when k is 1, 2 or 3: K-12, K-14, K-20) showing the levels (K only)
// and peaks in dB.
void levelMeter(Image& w, const BitmapSet& b, const window::LevelMeterLayout& meter, int k, const double levels[2],
                const double peaks[2]) {
    const int scales[4] = {meter.scalePeakK12, meter.scalePeakK12, meter.scaleK14, meter.scaleK20};
    blitFrame(w, b.at(scales[k]), box(meter.scale), 0);
    const window::StripRows rows = k == 0 ? window::kPeakStripRows : window::kKStripRows[k - 1];
    const int lit = k == 0 ? window::bitmap::kPeakLitBar : window::bitmap::kKLitBar;
    const int unlit = k == 0 ? window::bitmap::kPeakUnlitBar : window::bitmap::kKUnlitBar;
    const double floor = k == 0 ? -48 : -60;
    const int barX[2] = {meter.leftBarX, meter.rightBarX};
    for (int i = 0; i < 2; ++i) {
        const int u = barPixels(k == 0 ? peaks[i] : levels[i], floor);
        blitRows(w, b.at(lit), bar(barX[i], kBarBottom - u, kBarBottom), rows.litBase - u);
        blitRows(w, b.at(unlit), bar(barX[i], kBarTop, kBarBottom - u), rows.unlitTop);
        const int p = barPixels(peaks[i], floor);
        if (k != 0 && p >= 3) blitRows(w, b.at(lit), bar(barX[i], kBarBottom - p, kBarBottom - p + 3), rows.litBase - p);
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
    print(w, b.at(window::bitmap::kFont), L + 35 + (label.size() < 4 ? 3 : 0), B - 2, label, false, paper);
    fillBox(w, {L + 1, B - 10, L + 32, B - 1}, leftClip ? red : ink);
    print(w, b.at(leftClip ? window::bitmap::kSecondFont : window::bitmap::kFont), L + 2 + 15 - 3 * int(left.size()), B - 2, left, true, leftClip ? red : ink);
    fillBox(w, {L + 61, B - 10, L + 92, B - 1}, ink);
    print(w, b.at(window::bitmap::kFont), L + 62 + 15 - 3 * int(right.size()), B - 2, right, true, ink);
}

}  // namespace

Image composePreview(const BitmapSet& b) {
    using K = ControlKind;
    Image w = b.at(window::bitmap::kBackground);
    const auto show = [&](Placed p, int frame) { blitFrame(w, b.at(p.bitmap), p.rect, frame); };
    show(placed(K::Knob, zarpa::kTransient), knobFrame(0.2));
    show(placed(K::Knob, zarpa::kRelease), knobFrame(0.7237));
    show(placed(K::Knob, zarpa::kLeveller), knobFrame(0.75));
    show(placed(K::Knob, zarpa::kLink), knobFrame(1.0));
    show(placed(K::Knob, zarpa::kDrive), knobFrame(0.62));
    show(placed(K::Knob, zarpa::kOutput), knobFrame(0.98));
    show(placed(K::ToggleButton, zarpa::kDetectorOrder), 1);
    show(placed(K::OversamplingButton), 1);
    show(placed(K::ToggleButton, zarpa::kQuantize), 1);
    show(placed(K::AutoBlack), 1);
    show(placed(K::Bits), 4);
    show(placed(K::NoiseShape), 5);
    show(placed(K::ToggleButton, window::kAttShowBit2Tag), 1);
    show(placed(K::ToggleButton, window::kAttShowBit4Tag), 1);
    show(placed(K::ToggleButton, window::kAttShowBit1Tag), 1);
    show(placed(K::ToggleButton, zarpa::kAttZoom), 0);
    show(placed(K::ModeButton), 4);
    show(placed(K::ToggleButton, zarpa::kMeterOvs), 2);
    show(placed(K::CalibButton), 0);
    show(placed(K::SpeedSwitch), 0);
    show(placed(K::ToggleButton, zarpa::kPower), 1);
    show(placed(K::ToggleButton, zarpa::kAutoOut), 0);
    show(placed(K::ToggleButton, zarpa::kPostMeter), 1);

    const double inPeaks[2] = {-3.2, -1.1}, none[2] = {};
    levelMeter(w, b, window::kInputMeterLayout, 0, none, inPeaks);
    const double outPeaks[2] = {-0.3, -0.3}, outLevels[2] = {-13.0, -12.2};
    levelMeter(w, b, window::kOutputMeterLayout, 2, outLevels, outPeaks);

    show(Placed{window::bitmap::kGainScale, kGainMeter}, 0);
    for (int i = 0; i < 2; ++i) {
        const int len = i == 0 ? 37 : 25;
        blitRows(w, b.at(window::bitmap::kGainBar), bar(window::kGainBarX[i], window::kGainBarTop, window::kGainBarTop + len), 0);
    }
    readout(w, b, kInputReadout, "+0.4", "dBFS", "-1.1", true);
    readout(w, b, kOutputReadout, "+13.7", "dBr", "+13.7", false);
    readout(w, b, kGainReadout, "-6.0", "dB", "-4.1", false);

    show(barPlaced(window::kSaveBankTag), 0);
    show(barPlaced(window::kDefaultBankTag), 1);
    show(barPlaced(window::kLoadBankTag), 0);
    show(barPlaced(window::kSavePresetTag), 1);
    show(barPlaced(window::kDefaultPresetTag), 0);
    show(barPlaced(window::kLoadPresetTag), 2);
    show(barPlaced(window::kRockerTag), 2);
    show(barPlaced(window::kMemoAStoreTag), 0);
    show(barPlaced(window::kMemoARecallTag), 0);
    show(barPlaced(window::kMemoBStoreTag), 0);
    show(barPlaced(window::kMemoBRecallTag), 0);
    return w;
}

}  // namespace artgen
