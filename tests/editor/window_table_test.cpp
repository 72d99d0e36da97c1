// The drawn window against the window table: inside every film-strip control's table rectangle the
// window shows one frame of that row's bitmap pixel for pixel, and the meters show their scales at the
// places the table gives them. A control drawn anywhere else, or with another bitmap, fails here.
#include <algorithm>
#include <cstdio>
#include <string>

#include "layout/window_layout.h"
#include "tests/editor/editor_fixture.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace zarpa::testing {
namespace {

using WindowTable = EditorTest;

class DrawnWindow {
public:
    explicit DrawnWindow(CFrame& frame) : frame_(frame) {
        frame.setDirty();
        frame.redrawDirtyViews();
    }

    // The frame of the bitmap (frames as high as the rectangle) that the window shows inside the
    // rectangle, or -1 when it shows none of them. The first columns may be left out (drawn over).
    int shownFrame(int bitmapId, const window::Rect& rect, int fromColumn = 0) const {
        CBitmap bitmap(bitmapId);
        if (bitmap.getWidth() != rect.width() || rect.height() <= 0) return -1;
        for (int frame = 0; frame < bitmap.getHeight() / rect.height(); ++frame)
            if (showsFrame(bitmap, rect, frame, fromColumn)) return frame;
        return -1;
    }

private:
    bool showsFrame(const CBitmap& bitmap, const window::Rect& rect, int frame, int fromColumn) const {
        const CDrawContext& drawn = *frame_.getBackBuffer();
        for (int y = 0; y < rect.height(); ++y)
            for (int x = fromColumn; x < rect.width(); ++x)
                if (drawn.getPixel(rect.left + x, rect.top + y) != bitmap.getPixel(x, frame * rect.height() + y))
                    return false;
        return true;
    }

    CFrame& frame_;
};

std::string where(const window::Rect& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", r.left, r.top, r.right, r.bottom);
    return text;
}

TEST_F(WindowTable, EveryFilmStripControlShowsAFrameOfItsBitmapInsideItsRectangle) {
    const DrawnWindow drawn(*frame);
    int checked = 0;
    for (const window::Control& c : window::kControls) {
        if (!window::drawsFilmStrip(c.kind)) continue;
        EXPECT_GE(drawn.shownFrame(c.bitmap, c.rect), 0) << "bitmap " << c.bitmap << " tag " << c.tag << " at " << where(c.rect);
        ++checked;
    }
    for (const window::PresetBarControl& c : window::kPresetBar) {
        if (c.images == 0) continue;
        EXPECT_EQ(drawn.shownFrame(c.bitmap, c.rect), 0) << "preset bar tag " << c.tag << " at rest, at " << where(c.rect);
        ++checked;
    }
    EXPECT_EQ(checked, 23 + 11);
}

TEST_F(WindowTable, TheDrawnFrameFollowsTheControlsValue) {
    plugin->setParameter(kPower, 0.25f);
    plugin->setParameter(kBits, 0.5f);  // 16 bits
    plugin->setParameter(kQuantize, 0.25f);
    const window::Control& power = window::control(window::ControlKind::ToggleButton, kPower);
    const window::Control& bits = window::control(window::ControlKind::Bits);
    {
        const DrawnWindow drawn(*frame);
        EXPECT_EQ(drawn.shownFrame(power.bitmap, power.rect), 0);
        EXPECT_EQ(drawn.shownFrame(bits.bitmap, bits.rect), 1);
    }
    plugin->setParameter(kPower, 0.75f);
    plugin->setParameter(kQuantize, 0.75f);
    const DrawnWindow drawn(*frame);
    EXPECT_EQ(drawn.shownFrame(power.bitmap, power.rect), 1);
    EXPECT_EQ(drawn.shownFrame(bits.bitmap, bits.rect), 4);
}

TEST_F(WindowTable, MetersShowTheirScalesWhereTheTablePutsThem) {
    plugin->setParameter(kMeterType, 0.25f);  // peak metering: the peak scales
    plugin->setParameter(kAttZoom, 0.25f);
    const DrawnWindow drawn(*frame);
    for (const window::LevelMeterLayout& meter : {window::kInputMeterLayout, window::kOutputMeterLayout}) {
        const int underLeftBar = std::max(0, meter.leftBarX + window::kBarWidth - meter.scale.left);
        EXPECT_EQ(drawn.shownFrame(meter.scalePeakK12, meter.scale, underLeftBar), 0) << "scale " << meter.scalePeakK12;
    }
    // At rest no gain bar is drawn: the whole gain meter shows its unzoomed scale.
    EXPECT_EQ(drawn.shownFrame(window::bitmap::kGainScale, window::control(window::ControlKind::MeterGR).rect), 0);
}

}  // namespace
}  // namespace zarpa::testing
