// The preset bar's control classes on their own: which image each draws, and what a click tells the
// listener.
#include <gtest/gtest.h>

#include <vector>

#include "editor/preset_bar/preset_bar_controls.h"

namespace zarpa {
namespace {

struct Heard : CControlListener {
    void valueChanged(CControl* control) override {
        values.push_back(control->getValue());
        if (onChange) onChange(control);
    }
    std::vector<float> values;
    std::function<void(CControl*)> onChange;
};

const CRect kRect(100, 10, 130, 24);
CPoint inside(CCoord dx = 5) { return CPoint(kRect.left + dx, kRect.top + 3); }

TEST(PresetBarKickButton, ImageFollowsPressedThenHover) {
    Heard heard;
    CPSKickButton button(kRect, &heard, 1015, 15, nullptr, CPoint(0, 0), false);
    CPoint at = inside();
    EXPECT_EQ(button.imageIndex(), 0);
    button.onMouseEntered(at, 0);
    EXPECT_EQ(button.imageIndex(), 1);
    button.onMouseDown(at, kLButton);
    EXPECT_EQ(button.imageIndex(), 2);  // pressed wins over hover
    button.onMouseUp(at, 0);
    EXPECT_EQ(button.imageIndex(), 1);
    button.onMouseExited(at, 0);
    EXPECT_EQ(button.imageIndex(), 0);
    EXPECT_EQ(heard.values, std::vector<float>{1.0f});  // the release is silent
    EXPECT_EQ(button.getValue(), 0.0f);
}

TEST(PresetBarKickButton, DoubleClickButtonStoresOnDoubleClickAndClearsWithControl) {
    Heard heard;
    CPSKickButton button(kRect, &heard, 1014, 13, nullptr, CPoint(0, 0), true);
    CPoint at = inside();
    EXPECT_EQ(button.onMouseDown(at, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FALSE(button.isPressed());
    EXPECT_TRUE(heard.values.empty());

    button.onMouseDown(at, kLButton | kDoubleClick);
    button.onMouseUp(at, 0);
    button.onMouseDown(at, kLButton | kDoubleClick | kControl);
    button.onMouseUp(at, 0);
    EXPECT_EQ(heard.values, (std::vector<float>{1.0f, 0.5f}));
}

TEST(PresetBarKickButton, OnlyTheLeftButtonActsAndControlClearsOnlyDoubleClickButtons) {
    Heard heard;
    CPSKickButton memo(kRect, &heard, 1017, 15, nullptr, CPoint(0, 0), false);
    CPoint at = inside();
    memo.onMouseDown(at, kRButton);
    EXPECT_TRUE(heard.values.empty());
    memo.onMouseDown(at, kLButton | kControl);
    EXPECT_EQ(heard.values, std::vector<float>{1.0f});
}

TEST(PresetBarKickButton, SlidingOffWhileHeldSendsNoSecondValue) {
    Heard heard;
    CPSKickButton button(kRect, &heard, 1013, 13, nullptr, CPoint(0, 0), true);
    CPoint at = inside(), outside(kRect.right + 20, kRect.top);
    button.onMouseDown(at, kLButton | kDoubleClick);
    button.onMouseMoved(outside, kLButton);
    button.onMouseMoved(at, kLButton);
    button.onMouseUp(outside, 0);
    EXPECT_EQ(heard.values, std::vector<float>{1.0f});  // a 0 here would clear the stored default bank
}

TEST(PresetBarFileButton, PlainRightClickAloneMeansReversed) {
    Heard heard;
    CSaveLoadButton button(kRect, &heard, 1004, 15, nullptr, CPoint(0, 0));
    CPoint at = inside();
    for (CButtonState state : {CButtonState{kLButton}, CButtonState{kRButton}, kRButton | kShift, kRButton | kLButton, kRButton | kControl}) {
        EXPECT_EQ(button.onMouseDown(at, state), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(button.getValue(), 0.0f);
    }
    EXPECT_EQ(heard.values, (std::vector<float>{1.0f, 0.5f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(button.onMouseDown(at, kMButton), kMouseEventNotHandled);
}

TEST(PresetBarFileButton, ShowsWorkingImageWhileTheOperationRunsThenHover) {
    Heard heard;
    CSaveLoadButton button(kRect, &heard, 1003, 15, nullptr, CPoint(0, 0));
    int imageDuringOperation = -1;
    heard.onChange = [&](CControl*) { imageDuringOperation = button.imageIndex(); };
    CPoint at = inside();
    button.onMouseEntered(at, 0);
    EXPECT_EQ(button.imageIndex(), 1);
    button.onMouseDown(at, kLButton);
    EXPECT_EQ(imageDuringOperation, 2);
    EXPECT_EQ(button.imageIndex(), 1);
    button.onMouseExited(at, 0);
    EXPECT_EQ(button.imageIndex(), 0);
}

TEST(PresetBarFileButton, WithoutAListenerTheClickIsNotTaken) {
    CSaveLoadButton button(kRect, nullptr, 1002, 15, nullptr, CPoint(0, 0));
    CPoint at = inside();
    EXPECT_EQ(button.onMouseDown(at, kLButton), kMouseEventNotHandled);
}

TEST(PresetBarRocker, HeldHalfShowsItsImageAndOneClickNotifiesOnce) {
    Heard heard;
    CPSRockerSwitch rocker(kRect, &heard, 1001, 13, nullptr, CPoint(0, 0), kHorizontal);
    CPoint left = inside(3), right = inside(20);
    rocker.onMouseDown(right, kLButton);
    EXPECT_EQ(rocker.imageIndex(), 4);
    rocker.onMouseMoved(left, kLButton);  // held: the hover side does not change
    EXPECT_EQ(rocker.imageIndex(), 4);
    rocker.onMouseUp(right, 0);
    EXPECT_EQ(rocker.getValue(), 0.0f);
    rocker.onMouseDown(left, kLButton);
    EXPECT_EQ(rocker.imageIndex(), 3);
    rocker.onMouseUp(left, 0);
    EXPECT_EQ(heard.values, (std::vector<float>{1.0f, -1.0f}));
    EXPECT_EQ(rocker.onMouseDown(left, kRButton), kMouseEventNotHandled);
}

TEST(PresetBarRocker, HoverFollowsThePointerHalf) {
    CPSRockerSwitch rocker(kRect, nullptr, 1001, 13, nullptr, CPoint(0, 0), kHorizontal);
    CPoint left = inside(14), right = inside(15);  // the middle of a 30-pixel control is at +15
    rocker.onMouseEntered(left, 0);
    EXPECT_EQ(rocker.imageIndex(), 1);
    rocker.onMouseMoved(right, 0);
    EXPECT_EQ(rocker.imageIndex(), 2);
    rocker.onMouseExited(right, 0);
    EXPECT_EQ(rocker.imageIndex(), 0);
}

}  // namespace
}  // namespace zarpa
