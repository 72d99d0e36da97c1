// Buttons and selectors: every state a control can show is one frame, drawn over the panel piece the
// control covers. On/off keys carry their function as legend and light up; selectors show their
// value and dim it while their function is off; buttons that save the metering preferences have a
// third, warm frame for the saved flash.
#include <algorithm>
#include <functional>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "artwork.h"
#include "layout.h"

namespace artgen {

namespace {

using namespace layout;

Box local(Box rect) { return {0, 0, rect.width(), rect.height()}; }

// A key whose frames are given as (light, legend) pairs.
struct KeyFrame {
    KeyLight light;
    std::string legend;
};

Image keyStrip(const Image& panel, const Fonts& fonts, Box rect, const std::vector<KeyFrame>& frames) {
    return filmStrip(panelPiece(panel, rect), int(frames.size()), [&](Image& img, int k) {
        paintKey(img, local(rect), frames[std::size_t(k)].light, fonts, frames[std::size_t(k)].legend);
    });
}

// Off, on, and (for the buttons that save the metering preferences) the saved flash.
std::vector<KeyFrame> onOff(const std::string& legend, bool flash) {
    std::vector<KeyFrame> f{{KeyLight::Off, legend}, {KeyLight::Lit, legend}};
    if (flash) f.push_back({KeyLight::Flash, legend});
    return f;
}

// The transient-shape switch: three small keys at the switch's click zones, each with a pictogram
// of the envelope's shape; the selected one is lit.
void paintShapeSwitch(Image& img, const Fonts& fonts, int selected) {
    for (int i = 0; i < 3; ++i) {
        const Box zone = kTransShapeZones[i];
        const Box key{zone.left - kTransShape.left, zone.top - kTransShape.top, zone.right - kTransShape.left,
                      zone.bottom - kTransShape.top};
        const KeyLight light = i == selected ? KeyLight::Lit : KeyLight::Off;
        paintKey(img, key, light, fonts, "");
        const Rgb ink = keyLegendColour(light);
        const double cx = (key.left + key.right) / 2.0, base = key.bottom - 6.0, top = key.top + 5.0;
        const Box all = local(kTransShape);
        const double w = 0.65;
        if (i == 0) {  // hard: a sharp spike
            fillShape(img, all, segment(cx - 5, base, cx, top, w), ink);
            fillShape(img, all, segment(cx, top, cx + 5, base, w), ink);
        } else if (i == 1) {  // medium: a short plateau
            fillShape(img, all, segment(cx - 5, base, cx - 2, top, w), ink);
            fillShape(img, all, segment(cx - 2, top, cx + 2, top, w), ink);
            fillShape(img, all, segment(cx + 2, top, cx + 5, base, w), ink);
        } else {  // soft: a round hump
            const double r = base - top;
            fillShape(img, all, arc(cx, base, r, w, -std::numbers::pi / 2, std::numbers::pi / 2), ink);
        }
    }
}

// The meter mode button: the upper key selects peak metering, the lower one K-system metering and,
// pressed again, the next K scale. Frames: peak with scale K-12/14/20, K-system with the same scales,
// then the saved flash.
void paintModeButton(Image& img, const Fonts& fonts, int frame) {
    const Box upper{0, 0, kMeterMode.width(), 18};
    const Box lower{0, kMeterMode.height() - 18, kMeterMode.width(), kMeterMode.height()};
    const char* scales[3] = {"K-12", "K-14", "K-20"};
    if (frame == 6) {
        paintKey(img, upper, KeyLight::Flash, fonts, "PEAK");
        paintKey(img, lower, KeyLight::Flash, fonts, "K");
        paintLabel(img, kMeterMode.width() / 2.0, 31, "SAVED", fonts, Align::Centre, rgb(110, 66, 10));
        return;
    }
    const bool kSystem = frame >= 3;
    paintKey(img, upper, kSystem ? KeyLight::Off : KeyLight::Lit, fonts, "PEAK");
    paintKey(img, lower, kSystem ? KeyLight::Lit : KeyLight::Off, fonts, scales[frame % 3]);
    // Between the keys: a small rail joining them, marking them as one two-way choice.
    const double cx = kMeterMode.width() / 2.0;
    fillShape(img, local(kMeterMode), segment(cx, 21, cx, 35, 0.5), palette::kLabelSoft);
    fillShape(img, local(kMeterMode), circle(cx, kSystem ? 33.5 : 22.5, 1.8), palette::kLabelSoft);
}

// The small square keys beside the Drive and Output knobs (shared bitmap): a dot marks them.
void paintSmallKey(Image& img, const Fonts& fonts, KeyLight light) {
    paintKey(img, local(kAutoOut), light, fonts, "");
    fillShape(img, local(kAutoOut), circle(kAutoOut.width() / 2.0, 11.5, 2.2), keyLegendColour(light));
}

void paintPower(Image& img, bool on) {
    const Box all = local(kPower);
    const double c = kPower.width() / 2.0;
    fillShape(img, all, circle(c, c + 1.2, 15.5), rgb(0, 0, 0), 0.25);
    fillShape(img, all, circle(c, c, 15.5), rgb(32, 33, 35));
    if (on) fillShape(img, all, outline(circle(c, c, 13.8), 1.3), palette::kAccentLight);
    fillShadedShape(img, all, circle(c, c, 12.3), [&](double x, double y) {
        const double t = std::clamp(((y - c) - 0.3 * (x - c)) / 24.6 + 0.5, 0.0, 1.0);
        return mix(rgb(92, 95, 100), rgb(50, 52, 55), t);
    });
    const Rgb ink = on ? palette::kAccentLight : rgb(150, 155, 160);
    const double gap = 0.75;
    fillShape(img, all, arc(c, c + 0.5, 6.0, 1.0, -std::numbers::pi + gap, std::numbers::pi - gap), ink);
    fillShape(img, all, segment(c, c - 7.0, c, c - 0.5, 1.0), ink);
}

}  // namespace

void drawButtons(const Image& panel, const Fonts& fonts, BitmapSet& out) {
    using K = ControlKind;
    const auto key = [&](Placed p, const std::vector<KeyFrame>& frames) { out[p.bitmap] = keyStrip(panel, fonts, p.rect, frames); };
    key(placed(K::ToggleButton, zarpa::kDetectorOrder), {{KeyLight::Value, "I"}, {KeyLight::Value, "II"}});
    key(placed(K::OversamplingButton), onOff("ISP", false));
    key(placed(K::ToggleButton, zarpa::kQuantize), onOff("QUANT", false));
    key(placed(K::AutoBlack), {{KeyLight::Off, "BLACK"}, {KeyLight::Lit, "BLACK"}, {KeyLight::LitInactive, "BLACK"}});

    std::vector<KeyFrame> bits;
    for (KeyLight light : {KeyLight::Inactive, KeyLight::Value})
        for (const char* b : {"8", "16", "24"}) bits.push_back({light, b});
    key(placed(K::Bits), bits);

    std::vector<KeyFrame> shapes{{KeyLight::Off, "OFF"}};
    for (KeyLight light : {KeyLight::Inactive, KeyLight::Value})
        for (const char* s : {"A", "B", "C"}) shapes.push_back({light, s});
    key(placed(K::NoiseShape), shapes);

    key(placed(K::ToggleButton, zarpa::kAttZoom), onOff("ZOOM", true));
    key(placed(K::ToggleButton, zarpa::kMeterOvs), onOff("ISP", true));
    key(placed(K::ToggleButton, window::kAttShowBit1Tag), onOff("REL", true));
    key(placed(K::ToggleButton, window::kAttShowBit2Tag), onOff("TRANS", true));
    key(placed(K::ToggleButton, window::kAttShowBit4Tag), onOff("LEVEL", true));

    // Calibration: off, then left, right and both channels (frame order of the button), plain and
    // highlighted for the blink.
    std::vector<KeyFrame> calib{{KeyLight::Off, "OFF"}};
    for (KeyLight light : {KeyLight::Alert, KeyLight::AlertLit})
        for (const char* s : {"LEFT", "RIGHT", "L+R"}) calib.push_back({light, s});
    key(placed(K::CalibButton), calib);

    const auto strip = [&](Placed p, int frames, const std::function<void(Image&, int)>& paint) {
        out[p.bitmap] = filmStrip(panelPiece(panel, p.rect), frames, paint);
    };
    strip(placed(K::SpeedSwitch), 3, [&](Image& img, int k) { paintShapeSwitch(img, fonts, k); });
    strip(placed(K::ModeButton), 7, [&](Image& img, int k) { paintModeButton(img, fonts, k); });
    strip(placed(K::ToggleButton, zarpa::kPower), 2, [&](Image& img, int k) { paintPower(img, k == 1); });

    // Shared by AutoOut and PostMeter, which sit on identical panel pieces at the same height.
    static_assert(placed(K::ToggleButton, zarpa::kAutoOut).bitmap == placed(K::ToggleButton, zarpa::kPostMeter).bitmap);
    const KeyLight small[3] = {KeyLight::Off, KeyLight::Lit, KeyLight::Flash};
    strip(placed(K::ToggleButton, zarpa::kAutoOut), 3, [&](Image& img, int k) { paintSmallKey(img, fonts, small[k]); });
}

}  // namespace artgen
