// Bitmap 128, the window background: a calm light panel with engraved labels, dark meter windows,
// readout windows and value fields where the editor places its controls, and two dark bands for
// the title and the preset bar.
#include "artwork.h"
#include "layout.h"

namespace artgen {

namespace {

using namespace layout;
namespace pal = palette;

constexpr int kHeaderBottom = 21;
constexpr int kPresetBandTop = 442;

Box grow(Box b, int by) { return {b.left - by, b.top - by, b.right + by, b.bottom + by}; }

// A window sunk into the panel: one pixel of shadow above and left, highlight below and right.
void paintRecess(Image& img, Box inner, Rgb fill) {
    const Box outer = grow(inner, 1);
    fillBox(img, {outer.left, outer.top, outer.right, outer.top + 1}, pal::kPanelShadow);
    fillBox(img, {outer.left, outer.top, outer.left + 1, outer.bottom}, pal::kPanelShadow);
    fillBox(img, {outer.left + 1, outer.bottom - 1, outer.right, outer.bottom}, pal::kPanelHighlight);
    fillBox(img, {outer.right - 1, outer.top + 1, outer.right, outer.bottom}, pal::kPanelHighlight);
    fillBox(img, inner, fill);
}

void paintBands(Image& img, const Fonts& fonts) {
    fillVerticalGradient(img, {0, 0, kWindowWidth, kHeaderBottom}, rgb(50, 51, 54), rgb(36, 37, 39));
    fillBox(img, {0, kHeaderBottom, kWindowWidth, kHeaderBottom + 1}, rgb(24, 25, 26));
    fonts.bold.draw(img, 14, 15, "OKA", 11, pal::kAccentLight, Align::Left, 1);
    fonts.regular.draw(img, 14 + fonts.bold.measure("OKA", 11, 1) + 5, 15, "ZARPA", 11, pal::kAccentLight,
                       Align::Left, 1);
    fonts.regular.draw(img, 510, 14, "FULL BAND PRECISION LIMITER", 9, pal::kBandText, Align::Right, 1);

    fillBox(img, {0, kPresetBandTop - 1, kWindowWidth, kPresetBandTop}, rgb(24, 25, 26));
    fillVerticalGradient(img, {0, kPresetBandTop, kWindowWidth, kWindowHeight}, rgb(50, 51, 54), rgb(36, 37, 39));
}

void paintPresetBarBackground(Image& img, const Fonts& fonts) {
    // The program name field: its paper and frame colours are the field's own, which the toolkit does
    // not paint over a background bitmap, so the panel carries them.
    fillBox(img, kProgramName, pal::kNameInk);
    fillBox(img, grow(kProgramName, -1), pal::kNamePaper);
    // The program menu sits right of the name field and draws nothing itself: a down arrow marks it.
    const double cx = (kProgramMenu.left + kProgramMenu.right) / 2.0, cy = 454.0;
    fillShape(img, grow(kProgramMenu, 1), polygon({{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2.5}}),
              pal::kBandText);
    paintLabel(img, (kMemoAStore.right + kMemoARecall.left) / 2.0, 458, "A", fonts, Align::Centre, pal::kBandText);
    paintLabel(img, (kMemoBStore.right + kMemoBRecall.left) / 2.0, 458, "B", fonts, Align::Centre, pal::kBandText);
    // Thin separators between the bank group, the preset group, the program and the memo slots.
    for (int x : {96, 188, 379})
        fillBox(img, {x, 448, x + 1, 460}, rgb(78, 80, 84));
}

void paintMeterWindows(Image& img, const Fonts& fonts) {
    paintRecess(img, grow(kInputMeter, 1), pal::kWell);
    paintRecess(img, grow(kOutputMeter, 1), pal::kWell);
    paintRecess(img, grow(kGainMeter, 1), pal::kWell);
    // Channel letters and meter names above the bars and scales.
    const int baseline = 34;
    auto centreOf = [](Box b) { return (b.left + b.right) / 2.0; };
    paintLabel(img, centreOf(kInputBars[0]), baseline, "L", fonts);
    paintLabel(img, centreOf(kInputScale), baseline, "IN", fonts);
    paintLabel(img, centreOf(kInputBars[1]), baseline, "R", fonts);
    paintLabel(img, centreOf(kGainBars[0]), baseline, "L", fonts);
    paintLabel(img, centreOf(kGainMeter), baseline, "GR", fonts);
    paintLabel(img, centreOf(kGainBars[1]), baseline, "R", fonts);
    paintLabel(img, centreOf(kOutputBars[0]), baseline, "L", fonts);
    paintLabel(img, centreOf(kOutputScale), baseline, "OUT", fonts);
    paintLabel(img, centreOf(kOutputBars[1]), baseline, "R", fonts);
}

void paintReadoutWindows(Image& img) {
    for (Box r : {kInputReadout, kOutputReadout, kGainReadout}) {
        fillBox(img, grow(r, 2), pal::kPanelShadow);
        fillBox(img, grow(r, 1), rgb(96, 100, 104));
        fillBox(img, r, pal::kLcdPaper);
    }
}

void paintValueFields(Image& img) {
    for (Box f : {kDriveField, kOutputField}) paintRecess(img, f, pal::kDarkField);
    for (Box f : {kTransientField, kReleaseField, kLevellerField, kLinkField}) {
        paintRecess(img, f, pal::kLightField);
        fillBox(img, {f.left, f.top, f.right, f.top + 1}, rgb(186, 186, 186));  // inner top shade
    }
}

void paintControlLabels(Image& img, const Fonts& fonts) {
    auto centreOf = [](Box b) { return (b.left + b.right) / 2.0; };
    // Detector and requantizer groups along the top.
    paintLabel(img, (kDetectorOrder.left + kOversample.right) / 2.0, 34, "DETECTOR", fonts);
    paintLabel(img, centreOf(kDetectorOrder), 68, "ORDER", fonts, Align::Centre, pal::kLabelSoft);
    paintLabel(img, (kQuantize.left + kAutoblack.right) / 2.0, 34, "REQUANTIZE", fonts);
    // The two keys stand close: their labels take the narrow face so that they keep apart.
    fonts.narrowBold.draw(img, centreOf(kBits), 106, "BITS", 9, pal::kLabelSoft, Align::Centre, 1);
    fonts.narrowBold.draw(img, centreOf(kNoiseShape), 106, "SHAPING", 9, pal::kLabelSoft, Align::Centre, 1);

    // Transient shape positions above the three keys of the switch.
    const char* shapes[3] = {"HARD", "MED", "SOFT"};
    for (int i = 0; i < 3; ++i)
        paintLabel(img, (kTransShapeZones[i].left + kTransShapeZones[i].right) / 2.0, 117, shapes[i], fonts,
                   Align::Centre, pal::kLabelSoft);

    // Knobs: the name above each.
    paintLabel(img, centreOf(kTransientKnob), 164, "TRANSIENT", fonts);
    paintLabel(img, centreOf(kReleaseKnob), 262, "RELEASE", fonts);
    paintLabel(img, centreOf(kDriveKnob), 345, "DRIVE", fonts);
    paintLabel(img, centreOf(kLevellerKnob), 164, "LEVELLER", fonts);
    paintLabel(img, centreOf(kLinkKnob), 262, "STEREO LINK", fonts);
    paintLabel(img, centreOf(kOutputKnob), 345, "OUTPUT", fonts);
    paintLabel(img, centreOf(kPostMeter), 364, "POST", fonts, Align::Centre, pal::kLabelSoft);
    paintLabel(img, centreOf(kAutoOut), 364, "AUTO", fonts, Align::Centre, pal::kLabelSoft);

    // Centre column: gain-reduction sources, metering and calibration.
    paintLabel(img, centreOf(kGainMeter), 226, "GR SOURCES", fonts, Align::Centre, pal::kLabelSoft);
    paintLabel(img, centreOf(kGainMeter), 300, "METERING", fonts, Align::Centre, pal::kLabelSoft);
    paintLabel(img, centreOf(kCalibrate), 337, "CALIB", fonts, Align::Centre, pal::kLabelSoft);
}

// The info panel's closed state has no image of its own: the panel marks the spot.
void paintInfoSpot(Image& img, const Fonts& fonts) {
    const Box spot{kInfo.left + 2, kInfo.top + 3, kInfo.right - 2, kInfo.bottom - 4};
    fillShape(img, grow(spot, 1),
              outline(roundedRect(spot.left + 0.5, spot.top + 0.5, spot.right - 0.5, spot.bottom - 0.5, 4), 0.5),
              pal::kPanelShadow);
    const double iconX = spot.left + 11, iconY = (spot.top + spot.bottom) / 2.0;
    fillShape(img, grow(spot, 0), circle(iconX, iconY, 6.5), pal::kLabelSoft);
    fonts.bold.draw(img, iconX, int(iconY + 4), "i", 10, pal::kPanelTop, Align::Centre);
    fonts.bold.draw(img, spot.left + 22, int(iconY + 4), "ZARPA", 10, pal::kLabelSoft, Align::Left, 1);
}

}  // namespace

Image drawPanel(const Fonts& fonts) {
    Image img(kWindowWidth, kWindowHeight);
    fillVerticalGradient(img, {0, 0, kWindowWidth, kWindowHeight}, pal::kPanelTop, pal::kPanelBottom);
    paintBands(img, fonts);
    paintPresetBarBackground(img, fonts);
    paintMeterWindows(img, fonts);
    paintReadoutWindows(img);
    paintValueFields(img);
    paintControlLabels(img, fonts);
    paintInfoSpot(img, fonts);
    return img;
}

}  // namespace artgen
