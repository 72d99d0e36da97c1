// The info panel and the frame's modal view: opening, drawing over everything, and taking every click.
#include <gtest/gtest.h>

#include "editor/control_layout.h"
#include "editor/editor_artwork.h"
#include "editor/info_panel.h"
#include "editor/my_frame.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace zarpa {
namespace {

class ClickTarget : public CControl {
public:
    explicit ClickTarget(const CRect& size) : CControl(size) {}
    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override {
        ++clicks;
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    bool onWheel(const CPoint&, float, const CButtonState&) override { return ++wheels, true; }
    bool onKeyDown(CKeyCode&) override { return ++keys, true; }
    int clicks = 0;
    int wheels = 0;
    int keys = 0;
};

class InfoPanel : public ::testing::Test {
protected:
    InfoPanel() {
        installEditorArtwork();
        font = new CBitmap(137);
        knob = new ClickTarget(controlRect(ControlKind::Knob, kOutput));  // lies under the open panel
        info = new CInfo(controlRect(ControlKind::Info), nullptr, font);
        frame.addView(knob);
        frame.addView(info);
    }
    ~InfoPanel() override { font->forget(); }
    CMouseEventResult click(CCoord x, CCoord y, CButtonState buttons = kLButton) {
        CPoint where(x, y);
        const CMouseEventResult result = frame.onMouseDown(where, buttons);
        frame.onMouseUp(where, 0);
        return result;
    }
    CPixel at(CCoord x, CCoord y) { return frame.getBackBuffer()->getPixel(x, y); }

    MyFrame frame{CRect(0, 0, kEditorWidth, kEditorHeight), nullptr, nullptr};
    CBitmap* font;
    ClickTarget* knob;
    CInfo* info;
};

TEST_F(InfoPanel, ALeftClickOpensItAndTheNextClickAnywhereClosesItWithoutReachingTheViewsBelow) {
    EXPECT_EQ(click(260, 380, kRButton), kMouseEventNotHandled);
    EXPECT_FALSE(info->isPanelOpen());
    click(260, 380);
    EXPECT_TRUE(info->isPanelOpen());
    EXPECT_EQ(frame.getModalView(), info);
    EXPECT_TRUE(info->getViewSize().isEmpty());
    EXPECT_TRUE(frame.onWheel(CPoint(440, 370), 1.0f, 0));
    click(440, 370, kRButton);  // the panel takes it and ignores it
    EXPECT_TRUE(info->isPanelOpen());
    click(440, 370);
    EXPECT_FALSE(info->isPanelOpen());
    EXPECT_EQ(frame.getModalView(), nullptr);
    EXPECT_EQ(info->getViewSize(), controlRect(ControlKind::Info));
    EXPECT_EQ(knob->clicks, 0);
    EXPECT_EQ(knob->wheels, 0);
    click(440, 370);
    EXPECT_EQ(knob->clicks, 1);
}

TEST_F(InfoPanel, KeysNeverReachAViewHiddenBeneathTheOpenPanel) {
    CPoint over(440, 370);
    frame.onMouseMoved(over, 0);  // keys go to the view under the pointer
    CKeyCode up{0, VKEY_UP, 0};
    EXPECT_TRUE(frame.onKeyDown(up));
    EXPECT_EQ(knob->keys, 1);
    click(260, 380);
    frame.onMouseMoved(over, 0);
    EXPECT_FALSE(frame.onKeyDown(up));  // unused: the host may have it
    EXPECT_EQ(knob->keys, 1);
    click(440, 370);  // closes the panel
    EXPECT_TRUE(frame.onKeyDown(up));
    EXPECT_EQ(knob->keys, 2);
}

TEST_F(InfoPanel, TheOpenPanelIsDrawnOverEverythingAtEveryIdle) {
    info->setLatency(159);
    click(260, 380);
    frame.idle();
    const CColor panel{213, 236, 246, 255};
    EXPECT_EQ(at(430, 380), toPixel(panel));               // over the view below
    EXPECT_EQ(at(44, 295), toPixel({79, 79, 79, 255}));    // the 3-px outline
    EXPECT_EQ(at(60, 305), toPixel({79, 79, 79, 255}));    // the title bar
    // The latency, right-aligned to end at x 469: "159" starts at x 452 on row 3 (baseline y 351).
    for (CCoord dy = 0; dy < kGlyphHeight; ++dy)
        for (CCoord dx = 0; dx < kGlyphWidth; ++dx)
            ASSERT_EQ(at(452 + dx, 344 + dy), font->getPixel(dx, kGlyphHeight * glyphIndex('1', false) + dy));
    // With a modal view every idle redraws the whole window: a stray pixel anywhere is painted over.
    const auto scribble = [this] {
        frame.getBackBuffer()->setFillColor(CColor{1, 2, 3, 255});
        frame.getBackBuffer()->fillRect(CRect(5, 5, 15, 15));
    };
    scribble();
    frame.idle();
    EXPECT_NE(at(10, 10), toPixel({1, 2, 3, 255}));
    click(100, 100);
    frame.idle();
    EXPECT_NE(at(430, 380), toPixel(panel));
    scribble();
    frame.idle();  // closed: only what changed is redrawn
    EXPECT_EQ(at(10, 10), toPixel({1, 2, 3, 255}));
}

TEST_F(InfoPanel, ALatencyOfZeroIsOneDigitEndingAtTheSamePlace) {
    info->setLatency(0);
    click(260, 380);
    frame.idle();
    for (CCoord dx = 0; dx < kGlyphWidth; ++dx)
        ASSERT_EQ(at(464 + dx, 346), font->getPixel(dx, kGlyphHeight * glyphIndex('0', false) + 2));
}

}  // namespace
}  // namespace zarpa
