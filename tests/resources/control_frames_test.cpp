// Control bitmaps are opaque: every frame must carry the panel piece it covers, so a control never
// shows a seam, and every state a control can be in must look different.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "bitmap_access.h"

namespace {

using restest::Pixel;
using restest::pixelAt;

struct Placement {
    int id;
    int left, top, width, height;  // where the editor draws it; height is one frame
    int frames;
};

// Every place a control bitmap is drawn in the window (several bitmaps are drawn in more than one).
const std::vector<Placement> kPlacements = {
    {139, 44, 40, 33, 19, 2},     {140, 81, 40, 33, 19, 2},     {141, 223, 305, 35, 56, 7},
    {162, 412, 40, 33, 19, 2},    {163, 449, 40, 33, 19, 3},    {142, 412, 78, 33, 19, 6},
    {143, 449, 78, 33, 19, 7},    {145, 269, 341, 33, 19, 7},   {144, 269, 265, 33, 19, 3},
    {164, 224, 265, 33, 19, 3},   {165, 224, 230, 33, 19, 3},   {166, 269, 230, 33, 19, 3},
    {152, 55, 169, 50, 48, 101},  {153, 56, 267, 49, 47, 101},  {147, 421, 169, 48, 47, 101},
    {148, 421, 267, 48, 47, 101}, {146, 38, 121, 90, 25, 3},    {149, 245, 400, 35, 35, 2},
    {150, 52, 349, 56, 55, 101},  {151, 417, 349, 58, 56, 101}, {161, 394, 368, 18, 24, 3},
    {161, 116, 368, 18, 24, 3},   {160, 269, 307, 33, 19, 3},   {991, 22, 447, 17, 15, 3},
    {992, 39, 447, 32, 13, 3},    {990, 72, 447, 17, 15, 3},    {991, 104, 447, 17, 15, 3},
    {993, 122, 447, 44, 13, 3},   {990, 166, 447, 17, 15, 3},   {995, 340, 447, 30, 13, 5},
    {991, 388, 447, 17, 15, 3},   {990, 421, 447, 17, 15, 3},   {991, 452, 447, 17, 15, 3},
    {990, 486, 447, 17, 15, 3},   {994, 320, 448, 13, 12, 3},
};

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
    // AutoOut and PostMeter share bitmap 161, so the panel must be the same under both.
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 18; ++x)
            ASSERT_EQ(pixelAt(panel(), 394 + x, 368 + y), pixelAt(panel(), 116 + x, 368 + y)) << x << ", " << y;
}

}  // namespace
