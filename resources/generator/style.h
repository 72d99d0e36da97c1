// The look shared by all artwork: palette, typefaces, key faces and the film-strip helper.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "canvas.h"
#include "typeface.h"

namespace artgen {

namespace palette {
// Colours fixed by the editor's code (text printers, info panel, value fields, preset bar).
constexpr Rgb kLcdPaper = rgb(213, 236, 246);   // readout cells, normal-form glyph paper
constexpr Rgb kLcdInk = rgb(79, 79, 79);        // readout value boxes, inverted-form paper
constexpr Rgb kClipRed = rgb(229, 53, 5);       // clip box, second-colour font
constexpr Rgb kDarkField = rgb(37, 36, 35);     // behind the Drive and Output values
constexpr Rgb kLightField = rgb(200, 200, 200); // behind the other four values
constexpr Rgb kNamePaper = rgb(209, 227, 238);  // program name field
constexpr Rgb kNameInk = rgb(36, 36, 32);

// Our own panel colours.
constexpr Rgb kPanelTop = rgb(207, 209, 211);
constexpr Rgb kPanelBottom = rgb(191, 193, 196);
constexpr Rgb kPanelShadow = rgb(150, 152, 156);
constexpr Rgb kPanelHighlight = rgb(228, 230, 232);
constexpr Rgb kLabel = rgb(44, 46, 50);       // 7.5:1 on the panel's darkest row
constexpr Rgb kLabelSoft = rgb(72, 75, 80);    // secondary labels: still 4.8:1 there
constexpr Rgb kBand = rgb(40, 41, 43);          // header and preset bar bands
constexpr Rgb kBandText = rgb(182, 188, 194);
constexpr Rgb kWell = rgb(27, 28, 29);           // meter windows
constexpr Rgb kScaleText = rgb(188, 194, 200);
constexpr Rgb kScaleTick = rgb(120, 126, 132);
constexpr Rgb kAccent = rgb(46, 132, 188);       // knob value arcs
constexpr Rgb kAccentLight = rgb(150, 212, 242); // lit legends
constexpr Rgb kMeterGreen = rgb(72, 206, 118);
constexpr Rgb kMeterAmber = rgb(246, 184, 48);
constexpr Rgb kMeterRed = rgb(238, 62, 32);
constexpr Rgb kGainAmber = rgb(244, 152, 44);
}  // namespace palette

struct Fonts {
    Typeface regular;
    Typeface bold;
    Typeface narrowBold;  // for key legends too wide for the bold face
    explicit Fonts(const std::string& directory);
};

// How a key is lit: its face and legend colours.
enum class KeyLight {
    Off,         // dark face, grey legend
    Value,       // dark face, light-blue legend: a selector showing its active value
    Inactive,    // dark face, dim legend: a selector whose function is switched off
    Lit,         // light-blue face: switched on
    LitInactive, // greyed face: switched on but without effect
    Flash,       // warm face: metering preferences saved
    Alert,       // dark face, red legend: calibration noise running
    AlertLit,    // red face: calibration noise running, highlighted blink phase
};

// Paints a rounded key filling the box (with a one-pixel drop shadow below it) and its legend.
void paintKey(Image& img, Box box, KeyLight light, const Fonts& fonts, std::string_view legend);
// The legend colour a key of that light uses (for keys with drawn symbols instead of text).
Rgb keyLegendColour(KeyLight light);

// Panel text: bold capitals (9 px, caps 6.5 px high) with one pixel of tracking.
void paintLabel(Image& img, double x, int baseline, std::string_view text, const Fonts& fonts,
                Align align = Align::Centre, Rgb colour = palette::kLabel);

// The piece of the panel a control covers: the background of each of its frames.
Image panelPiece(const Image& panel, Box rect);

// A bitmap of n frames stacked vertically, each drawn by frame(k) onto a copy of background.
Image filmStrip(const Image& background, int frames, const std::function<void(Image&, int)>& frame);

using BitmapSet = std::map<int, Image>;

}  // namespace artgen
