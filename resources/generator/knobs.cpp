// The six rotary knobs, 101 frames each: a dark cap with a light pointer line, turning through 270
// degrees, over a track whose lit arc shows the value (from the centre for the bipolar Drive knob).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "artwork.h"
#include "layout.h"

namespace artgen {

namespace {

constexpr int kFrames = 101;
constexpr double kSweep = 1.5 * std::numbers::pi;  // 270 degrees
constexpr double kStart = -kSweep / 2;             // 7:30, clockwise from 12 o'clock

void paintKnobFrame(Image& img, double value, bool bipolar) {
    const double w = img.width(), h = img.height();
    const double cx = w / 2, cy = h / 2;
    const double outer = std::min(w, h) / 2;
    const double trackR = outer - 3.0, capR = outer - 8.5;
    const Box all{0, 0, img.width(), img.height()};
    const double angle = kStart + kSweep * value;

    // Scale dots at the ends and the centre of the travel.
    for (double a : {kStart, 0.0, -kStart})
        fillShape(img, all, circle(cx + (outer - 0.6) * std::sin(a), cy - (outer - 0.6) * std::cos(a), 0.8),
                  palette::kLabelSoft);
    fillShape(img, all, arc(cx, cy, trackR, 1.2, kStart, -kStart), rgb(160, 163, 167));
    const double from = bipolar ? 0.0 : kStart;
    const double a0 = std::min(from, angle), a1 = std::max(from, angle);
    if (a1 - a0 > 1e-9) fillShape(img, all, arc(cx, cy, trackR, 1.4, a0, a1), palette::kAccent);

    // The cap: a soft shadow, a bevelled rim and a slightly domed face.
    fillShape(img, all, circle(cx, cy + 1.6, capR + 1.2), rgb(0, 0, 0), 0.28);
    fillShape(img, all, circle(cx, cy, capR), rgb(30, 31, 33));
    fillShadedShape(img, all, circle(cx, cy, capR - 1.0), [&](double x, double y) {
        const double t = std::clamp(((y - cy) - 0.35 * (x - cx)) / (2 * capR) + 0.5, 0.0, 1.0);
        return mix(rgb(96, 99, 104), rgb(44, 45, 48), t);
    });
    fillShadedShape(img, all, circle(cx, cy, capR - 3.2), [&](double x, double y) {
        const double t = std::clamp(((y - cy) + 0.2 * (x - cx)) / (2 * capR) + 0.5, 0.0, 1.0);
        return mix(rgb(78, 81, 85), rgb(56, 58, 61), t);
    });

    // The pointer runs from near the centre to the rim.
    const double s = std::sin(angle), c = std::cos(angle);
    fillShape(img, all, segment(cx + 0.30 * capR * s, cy - 0.30 * capR * c, cx + (capR - 2.2) * s, cy - (capR - 2.2) * c, 1.1),
              rgb(240, 244, 247));
}

}  // namespace

void drawKnobs(const Image& panel, BitmapSet& out) {
    using namespace layout;
    for (const window::Control& knob : window::kControls) {
        if (knob.kind != ControlKind::Knob) continue;
        const bool bipolar = knob.tag == zarpa::kDrive;  // its arc grows from the centre
        out[knob.bitmap] = filmStrip(panelPiece(panel, box(knob.rect)), kFrames, [&](Image& img, int f) {
            paintKnobFrame(img, f / double(kFrames - 1), bipolar);
        });
    }
}

}  // namespace artgen
