// Control bitmaps are opaque: every frame must carry the panel piece it covers at the place the window
// table gives it, so a control never shows a seam, and every state a control can be in must look
// different.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "bitmap_access.h"
#include "layout/window_layout.h"

namespace {

using restest::Pixel;
using restest::pixelAt;

namespace window = zarpa::window;

struct Placement {
    int id;
    int left, top, width, height;  // where the editor draws it; height is one frame
    int frames;
};

Placement placementAt(int id, const window::Rect& r) {
    const resources::ResourceBitmap* b = resources::findBitmap(id);
    return {id, r.left, r.top, r.width(), r.height(), b ? b->height / r.height() : 0};
}

// Every place the window table draws a control bitmap (several bitmaps are drawn in more than one), and
// the program menu's button, drawn for the menu's place.
std::vector<Placement> placements() {
    std::vector<Placement> all;
    for (const window::Control& c : window::kControls)
        if (window::drawsFilmStrip(c.kind)) all.push_back(placementAt(c.bitmap, c.rect));
    for (const window::PresetBarControl& c : window::kPresetBar)
        if (c.images > 0) all.push_back(placementAt(c.bitmap, c.rect));
    all.push_back(placementAt(window::bitmap::kProgramMenuButton, window::presetBarControl(window::kProgramMenuTag).rect));
    return all;
}
const std::vector<Placement> kPlacements = placements();

TEST(ControlFrames, EveryControlBitmapIsAWholeNumberOfFramesOfItsRectangle) {
    EXPECT_EQ(kPlacements.size(), 35u);
    for (const Placement& p : kPlacements) {
        const resources::ResourceBitmap* b = resources::findBitmap(p.id);
        ASSERT_NE(b, nullptr) << p.id;
        EXPECT_EQ(b->width, p.width) << "bitmap " << p.id << " at (" << p.left << ", " << p.top << ")";
        EXPECT_EQ(b->height % p.height, 0) << "bitmap " << p.id << " at (" << p.left << ", " << p.top << ")";
        EXPECT_EQ(p.frames, resources::bitmapFrames(p.id)) << "bitmap " << p.id;
    }
}

const resources::ResourceBitmap& panel() { return *resources::findBitmap(128); }

TEST(ControlFrames, EveryFrameMeetsThePanelAtItsCorners) {
    for (const Placement& p : kPlacements) {
        const resources::ResourceBitmap* b = resources::findBitmap(p.id);
        ASSERT_NE(b, nullptr) << p.id;
        ASSERT_EQ(b->height, p.height * p.frames) << p.id;
        for (int f = 0; f < p.frames; ++f) {
            for (auto [x, y] : {std::pair{0, 0}, {p.width - 1, 0}, {0, p.height - 1}, {p.width - 1, p.height - 1}}) {
                EXPECT_EQ(pixelAt(*b, x, f * p.height + y), pixelAt(panel(), p.left + x, p.top + y))
                    << "bitmap " << p.id << " frame " << f << " corner (" << x << ", " << y << ") at window ("
                    << p.left << ", " << p.top << ")";
            }
        }
    }
}

// At 150 % and 200 % the editor draws frame f of a control into the device pixels its rectangle covers
// (logical x to device floor(x · scale)), from device row f · ceil(height · scale) of the strip.
TEST(ControlFrames, AtEveryScaleEveryFrameMeetsThePanelAtTheCornersOfTheDevicePixelsItCovers) {
    for (const int percent : {150, 200}) {
        const auto device = [percent](int v) { return v * percent / 100; };
        const resources::ResourceBitmap& scaledPanel = *resources::findBitmap(128, percent);
        for (const Placement& p : kPlacements) {
            const resources::ResourceBitmap* b = resources::findBitmap(p.id, percent);
            ASSERT_NE(b, nullptr) << p.id;
            const int stride = (p.height * percent + 99) / 100;
            ASSERT_EQ(b->height, stride * p.frames) << p.id;
            const int left = device(p.left), top = device(p.top);
            const int w = device(p.left + p.width) - left, h = device(p.top + p.height) - top;
            for (int f = 0; f < p.frames; ++f)
                for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
                    ASSERT_EQ(pixelAt(*b, x, f * stride + y), pixelAt(scaledPanel, left + x, top + y))
                        << "bitmap " << p.id << " frame " << f << " at " << percent << " %, corner (" << x << ", " << y << ")";
        }
    }
}

TEST(ControlFrames, EveryStateOfAControlLooksDifferent) {
    for (const Placement& p : kPlacements) {
        const resources::ResourceBitmap* b = resources::findBitmap(p.id);
        ASSERT_NE(b, nullptr);
        for (int f = 0; f < p.frames; ++f)
            for (int g = f + 1; g < p.frames; ++g)
                EXPECT_FALSE(restest::sameFrames(*b, p.height, f, g)) << "bitmap " << p.id << " frames " << f << ", " << g;
    }
}

// The pointer is the only near-white part of a knob; its centroid gives the pointer's angle.
double pointerAngleDegrees(const resources::ResourceBitmap& b, int frameHeight, int frame) {
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < frameHeight; ++y)
        for (int x = 0; x < b.width; ++x) {
            const Pixel p = pixelAt(b, x, frame * frameHeight + y);
            if (p.r > 225 && p.g > 225 && p.b > 225) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
            }
        }
    if (n == 0) return std::nan("");
    const double dx = sx / n - b.width / 2.0, dy = sy / n - frameHeight / 2.0;
    return std::atan2(dx, -dy) * 180 / std::numbers::pi;  // clockwise from 12 o'clock
}

TEST(ControlFrames, KnobsTurnClockwiseFromSevenThirtyToFourThirty) {
    for (const Placement& p : kPlacements) {
        if (p.frames != 101) continue;
        const resources::ResourceBitmap& b = *resources::findBitmap(p.id);
        for (int f = 0; f <= 100; f += 10) {
            const double expected = -135.0 + 2.7 * f;
            EXPECT_NEAR(pointerAngleDegrees(b, p.height, f), expected, 6.0) << "knob " << p.id << " frame " << f;
        }
    }
}

TEST(ControlFrames, SmallKeyBitmapFitsBothOfItsPlaces) {
    // AutoOut and PostMeter share one bitmap, so the panel must be the same under both.
    const window::Control& autoOut = window::control(window::ControlKind::ToggleButton, zarpa::kAutoOut);
    const window::Control& postMeter = window::control(window::ControlKind::ToggleButton, zarpa::kPostMeter);
    ASSERT_EQ(autoOut.bitmap, postMeter.bitmap);
    for (int y = 0; y < autoOut.rect.height(); ++y)
        for (int x = 0; x < autoOut.rect.width(); ++x)
            ASSERT_EQ(pixelAt(panel(), autoOut.rect.left + x, autoOut.rect.top + y),
                      pixelAt(panel(), postMeter.rect.left + x, postMeter.rect.top + y))
                << x << ", " << y;
}

}  // namespace
