// Key faces, labels and film strips.
#include "style.h"

namespace artgen {

Fonts::Fonts(const std::string& dir)
    : regular(dir + "/LiberationSans-Regular.ttf"),
      bold(dir + "/LiberationSans-Bold.ttf"),
      narrowBold(dir + "/LiberationSansNarrow-Bold.ttf") {}

namespace {

struct KeyLook {
    Rgb top, bottom, border, legend;
};

// Every legend stands at least 4.5:1 against the lightest part of its face.
KeyLook keyLook(KeyLight light) {
    const Rgb darkTop = rgb(70, 72, 76), darkBottom = rgb(48, 50, 53), darkBorder = rgb(26, 27, 29);
    const Rgb offLegend = rgb(235, 238, 242);
    switch (light) {
        case KeyLight::Off: return {darkTop, darkBottom, darkBorder, offLegend};
        case KeyLight::Value: return {darkTop, darkBottom, darkBorder, palette::kAccentLight};
        case KeyLight::Inactive: return {darkTop, darkBottom, darkBorder, rgb(178, 184, 190)};
        case KeyLight::Lit: return {rgb(200, 234, 250), rgb(146, 204, 236), rgb(52, 86, 108), rgb(22, 38, 50)};
        case KeyLight::LitInactive:
            return {rgb(166, 178, 186), rgb(136, 148, 157), rgb(60, 68, 74), rgb(30, 34, 38)};
        case KeyLight::Flash: return {rgb(255, 232, 180), rgb(246, 196, 118), rgb(110, 78, 30), rgb(64, 42, 12)};
        case KeyLight::Alert: return {darkTop, darkBottom, darkBorder, rgb(255, 166, 130)};
        case KeyLight::AlertLit: return {rgb(214, 66, 26), rgb(186, 46, 12), rgb(96, 22, 6), rgb(255, 255, 255)};
    }
    return {darkTop, darkBottom, darkBorder, offLegend};
}

}  // namespace

Rgb keyLegendColour(KeyLight light) { return keyLook(light).legend; }

void paintKey(Image& img, Box box, KeyLight light, const Fonts& fonts, std::string_view legend) {
    const KeyLook look = keyLook(light);
    const double l = box.left + 0.5, t = box.top + 0.5, r = box.right - 0.5, b = box.bottom - 1.5;
    const Box bounds{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
    fillShape(img, bounds, roundedRect(l, t + 1.0, r, b + 1.0, 3.0), rgb(0, 0, 0), 0.22);  // drop shadow
    fillShape(img, bounds, roundedRect(l, t, r, b, 3.0), look.border);
    const double faceTop = t + 1, faceBottom = b - 1;
    fillShadedShape(img, bounds, roundedRect(l + 1, faceTop, r - 1, faceBottom, 2.2), [&](double, double y) {
        return mix(look.top, look.bottom, (y - faceTop) / (faceBottom - faceTop));
    });
    // A faint highlight along the top edge gives the face some depth.
    fillShape(img, bounds, segment(l + 3, faceTop + 0.6, r - 3, faceTop + 0.6, 0.45), rgb(255, 255, 255), 0.18);
    if (!legend.empty()) {
        const int baseline = (box.top + box.bottom - 1) / 2 + 3;
        // Values shown by selectors (a number, a letter) read larger, like a display; names are small
        // capitals. Legends keep three pixels of face on either side; longer ones use the narrow face.
        const bool isValue = legend.size() <= 2 && box.height() >= 17;
        const int size = isValue ? 10 : 9;
        const bool fits = fonts.bold.measure(legend, size) <= box.width() - 8;
        const Typeface& face = fits ? fonts.bold : fonts.narrowBold;
        face.draw(img, (box.left + box.right) / 2.0, baseline + (isValue ? 1 : 0), legend, size, look.legend,
                  Align::Centre);
    }
}

void paintLabel(Image& img, double x, int baseline, std::string_view text, const Fonts& fonts, Align align,
                Rgb colour) {
    fonts.bold.draw(img, x, baseline, text, 9, colour, align, 1);
}

Image panelPiece(const Image& panel, Box rect) { return panel.crop(rect.left, rect.top, rect.width(), rect.height()); }

Image filmStrip(const Image& background, int frames, const std::function<void(Image&, int)>& frame) {
    Image strip = Image::stripOf(background, frames);
    for (int k = 0; k < frames; ++k) {
        Image one = background;
        frame(one, k);
        strip.pasteDevice(one, 0, k * background.deviceHeight());
    }
    return strip;
}

}  // namespace artgen
