// The preset bar's buttons (990 to 995), drawn over the dark band along the window's bottom edge.
// Every button has a resting, a hover and a pressed image; the rocker has a hover and a pressed
// image for each half.
#include <functional>
#include <string>

#include "artwork.h"
#include "layout.h"

namespace artgen {

namespace {

using namespace layout;

enum class State { Rest, Hover, Pressed };

// Icon buttons: a tray with an arrow leaving it (load) or entering it (save).
void paintTrayIcon(Image& img, State state, bool arrowUp) {
    const Box all{0, 0, img.width(), img.height()};
    const double w = img.width(), h = img.height();
    if (state != State::Rest) {
        const Rgb back = state == State::Pressed ? palette::kAccentLight : rgb(70, 72, 76);
        fillShape(img, all, roundedRect(0.5, 0.5, w - 0.5, h - 0.5, 3), back);
    }
    const Rgb ink = state == State::Pressed ? rgb(22, 38, 50) : state == State::Hover ? rgb(240, 244, 248)
                                                                                       : palette::kBandText;
    const double cx = w / 2, hw = 0.6;
    const double trayTop = h - 6.5, trayBottom = h - 3.5;
    fillShape(img, all, segment(cx - 5, trayTop, cx - 5, trayBottom, hw), ink);
    fillShape(img, all, segment(cx - 5, trayBottom, cx + 5, trayBottom, hw), ink);
    fillShape(img, all, segment(cx + 5, trayBottom, cx + 5, trayTop, hw), ink);
    const double tip = arrowUp ? 2.5 : trayBottom - 2.0, tail = arrowUp ? trayBottom - 2.0 : 2.5;
    const double dir = arrowUp ? 1.0 : -1.0;  // the head opens away from the tip
    fillShape(img, all, segment(cx, tail, cx, tip + dir * 1.0, hw), ink);
    fillShape(img, all, polygon({{cx, tip}, {cx - 3.2, tip + dir * 3.4}, {cx + 3.2, tip + dir * 3.4}}), ink);
}

KeyLight keyLight(State state) {
    return state == State::Pressed ? KeyLight::Lit : state == State::Hover ? KeyLight::Value : KeyLight::Off;
}

Image stateStrip(const Image& background, const std::function<void(Image&, State)>& paint) {
    const State states[3] = {State::Rest, State::Hover, State::Pressed};
    return filmStrip(background, 3, [&](Image& img, int k) { paint(img, states[k]); });
}

// The previous/next rocker: images rest, hover left, hover right, pressed left, pressed right.
void paintRocker(Image& img, const Fonts& fonts, int image) {
    const int w = img.width(), h = img.height(), mid = w / 2;
    const int hover = image == 1 ? -1 : image == 2 ? 1 : 0;
    const int pressed = image == 3 ? -1 : image == 4 ? 1 : 0;
    for (int side : {-1, 1}) {
        const Box half = side < 0 ? Box{0, 0, mid, h} : Box{mid, 0, w, h};
        const KeyLight light = pressed == side ? KeyLight::Lit : hover == side ? KeyLight::Value : KeyLight::Off;
        paintKey(img, half, light, fonts, "");
        const double cx = (half.left + half.right) / 2.0, cy = (h - 1) / 2.0;
        const double dx = 2.2 * side;
        fillShape(img, half, polygon({{cx + dx, cy}, {cx - dx, cy - 3.2}, {cx - dx, cy + 3.2}}),
                  keyLegendColour(light));
    }
}

}  // namespace

void drawPresetBar(const Image& panel, const Fonts& fonts, BitmapSet& out) {
    const auto states = [&](Placed p, const std::function<void(Image&, State)>& paint) {
        out[p.bitmap] = stateStrip(panelPiece(panel, p.rect), paint);
    };
    // Load and save share their images between the bank, the preset and the memo slots; all of them
    // sit on the same band at the same height.
    states(barPlaced(window::kLoadBankTag), [](Image& img, State s) { paintTrayIcon(img, s, true); });
    states(barPlaced(window::kSaveBankTag), [](Image& img, State s) { paintTrayIcon(img, s, false); });
    states(barPlaced(window::kDefaultBankTag), [&](Image& img, State s) {
        paintKey(img, {0, 0, img.width(), img.height()}, keyLight(s), fonts, "BANK");
    });
    states(barPlaced(window::kDefaultPresetTag), [&](Image& img, State s) {
        paintKey(img, {0, 0, img.width(), img.height()}, keyLight(s), fonts, "PRESET");
    });
    // A drop-down button for the program menu's place; the menu itself draws nothing.
    states({window::bitmap::kProgramMenuButton, kProgramMenu}, [&](Image& img, State s) {
        paintKey(img, {0, 0, img.width(), img.height()}, keyLight(s), fonts, "");
        const double cx = img.width() / 2.0, cy = img.height() / 2.0 - 0.5;
        fillShape(img, {0, 0, img.width(), img.height()}, polygon({{cx - 3, cy - 1.5}, {cx + 3, cy - 1.5}, {cx, cy + 2}}),
                  keyLegendColour(keyLight(s)));
    });
    const Placed rocker = barPlaced(window::kRockerTag);
    out[rocker.bitmap] = filmStrip(panelPiece(panel, rocker.rect), window::presetBarControl(window::kRockerTag).images,
                                   [&](Image& img, int k) { paintRocker(img, fonts, k); });
}

}  // namespace artgen
