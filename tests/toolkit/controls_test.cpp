// Buttons and knobs driven by synthetic mouse and key events, drawn into an offscreen context.
#include <gtest/gtest.h>

#include "toolkit/buttons.h"
#include "toolkit/knob.h"
#include "toolkit/sub_image.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

TEST(Control, ControlClickRestoresTheDefaultAsOneEditAndTellsOnlyAChange) {
    RecordingListener listener;
    CKnob knob(CRect(0, 0, 40, 40), &listener, 3, nullptr);
    knob.setDefaultValue(0.25f);
    knob.setValue(0.9f);
    CPoint at(20, 20);
    EXPECT_EQ(knob.onMouseDown(at, kLButton | kControl), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FLOAT_EQ(knob.getValue(), 0.25f);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.begins, 1);
    EXPECT_EQ(listener.ends, 1);
    knob.onMouseDown(at, kLButton | kControl);  // already at the default: an edit, but no change
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.ends, 2);
    // Control with another modifier is an ordinary click.
    EXPECT_FALSE(knob.checkDefaultValue(kLButton | kControl | kShift));
    EXPECT_FLOAT_EQ(CControl(CRect()).getDefaultValue(), 0.5f);
}

TEST(Control, ASetValueMarksDirtyOnlyWhenTheValueChanges) {
    CControl control(CRect(0, 0, 5, 5));
    control.setDirty(false);
    control.setValue(control.getValue());
    EXPECT_FALSE(control.isDirty());
    control.setValue(0.3f);
    EXPECT_TRUE(control.isDirty());
    control.setValue(7.0f);
    control.bounceValue();
    EXPECT_FLOAT_EQ(control.getValue(), 1.0f);
}

TEST(OnOffButton, LeftClickTogglesAndTheUpperHalfOfTheRangeShowsImageOne) {
    RecordingListener listener;
    CBitmap* strip = makeStrip(10, 8, 2);
    COnOffButton button(CRect(0, 0, 10, 8), &listener, 5, strip);
    strip->forget();
    COffscreenContext c(10, 8);
    button.setValue(0.5f);
    button.draw(&c);
    EXPECT_EQ(imageAt(c, 1, 1), 1);
    CPoint at(3, 3);
    EXPECT_EQ(button.onMouseDown(at, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(button.onMouseDown(at, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FLOAT_EQ(button.getValue(), 0.0f);
    button.onMouseDown(at, kLButton);
    EXPECT_FLOAT_EQ(button.getValue(), 1.0f);
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(listener.changes[0].tag, 5);
    button.setValue(0.49f);
    button.draw(&c);
    EXPECT_EQ(imageAt(c, 1, 1), 0);
}

TEST(KickButton, PressedWhileHeldInsideReleasedWhenDraggedOutAndTellsPressAndRelease) {
    RecordingListener listener;
    CBitmap* strip = makeStrip(10, 10, 4);
    CKickButton button(CRect(0, 0, 10, 10), &listener, 1, 10, strip, CPoint(0, 20));  // images 2 and 3
    strip->forget();
    COffscreenContext c(10, 10);
    CPoint inside(5, 5);
    CPoint outside(50, 5);
    EXPECT_EQ(button.onMouseDown(inside, kLButton), kMouseEventHandled);
    button.draw(&c);
    EXPECT_EQ(imageAt(c, 0, 0), 3);
    button.onMouseMoved(outside, kLButton);
    EXPECT_FLOAT_EQ(button.getValue(), 0.0f);
    button.onMouseMoved(inside, kLButton);
    button.onMouseUp(inside, kLButton);
    button.draw(&c);
    EXPECT_EQ(imageAt(c, 0, 0), 2);
    std::vector<float> values;
    for (const Change& ch : listener.changes) values.push_back(ch.value);
    EXPECT_EQ(values, (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
}

TEST(RockerSwitch, EachHalfGivesItsSignUntilReleaseInBothOrientations) {
    RecordingListener listener;
    CBitmap* strip = makeStrip(30, 10, 3);
    CRockerSwitch horizontal(CRect(100, 0, 130, 10), &listener, 7, 10, strip);
    CRockerSwitch vertical(CRect(0, 0, 30, 10), &listener, 8, 10, strip, CPoint(), kVertical);
    strip->forget();
    COffscreenContext c(140, 10);
    CPoint left(114, 5);
    CPoint right(115, 5);
    horizontal.onMouseDown(left, kLButton);
    EXPECT_FLOAT_EQ(horizontal.getValue(), -1.0f);
    horizontal.draw(&c);
    EXPECT_EQ(imageAt(c, 100, 0), 1);
    horizontal.onMouseUp(left, kLButton);
    EXPECT_FLOAT_EQ(horizontal.getValue(), 0.0f);
    horizontal.onMouseDown(right, kLButton);
    horizontal.draw(&c);
    EXPECT_EQ(imageAt(c, 100, 0), 2);
    EXPECT_EQ(vertical.sideAt(CPoint(5, 4)), -1);
    EXPECT_EQ(vertical.sideAt(CPoint(5, 5)), 1);
    EXPECT_EQ(listener.changes.size(), 3u);
}

TEST(AnimKnob, FrameIsTheValueScaledOverTheStripRoundedDownWithTheLastFrameAtOne) {
    EXPECT_EQ(animationFrameOffset(0.0f, 101, 47), 0);
    EXPECT_EQ(animationFrameOffset(0.5f, 101, 47), 50 * 47);
    EXPECT_EQ(animationFrameOffset(1.0f, 101, 47), 100 * 47);
    EXPECT_EQ(animationFrameOffset(0.0099f, 101, 47), 0);
    EXPECT_EQ(animationFrameOffset(-0.5f, 101, 47), 0);
    EXPECT_EQ(animationFrameOffset(2.0f, 101, 47), 100 * 47);

    CBitmap* strip = makeStrip(6, 4, 11);
    CAnimKnob knob(CRect(0, 0, 6, 4), nullptr, 0, 11, 4, strip);
    strip->forget();
    COffscreenContext c(6, 4);
    for (float v : {0.0f, 0.35f, 0.999f, 1.0f}) {
        knob.setValue(v);
        knob.draw(&c);
        EXPECT_EQ(imageAt(c, 2, 2), static_cast<int>(v * 10)) << v;
    }
}

namespace {

// A knob inside a headless frame whose editor reports a knob mode.
struct KnobInFrame {
    TestEffect effect;
    TestEditor editor{&effect};
    RecordingListener listener;
    CKnob* knob = nullptr;

    explicit KnobInFrame(std::int32_t mode) {
        editor.setKnobMode(mode);
        editor.open(nullptr);
        knob = new CKnob(CRect(20, 20, 60, 60), &listener, 2, nullptr);
        editor.getFrame()->addView(knob);
    }
    void drag(CPoint from, CPoint to, CButtonState held = kLButton) {
        CFrame* frame = editor.getFrame();
        frame->onMouseDown(from, held);
        frame->onMouseMoved(to, held);
        frame->onMouseUp(to, held);
    }
};

}  // namespace

TEST(Knob, LinearDragTakes200PixelsForTheRangeAndIsOneHostGesture) {
    KnobInFrame k(kLinearMode);
    k.knob->setValue(0.0f);
    k.drag(CPoint(40, 40), CPoint(40, -60));
    EXPECT_FLOAT_EQ(k.knob->getValue(), 0.5f);
    k.drag(CPoint(40, 40), CPoint(200, -200));
    EXPECT_FLOAT_EQ(k.knob->getValue(), 1.0f);  // limited to the range
    EXPECT_EQ(countCalls(audioMasterBeginEdit), 2);
    EXPECT_EQ(countCalls(audioMasterEndEdit), 2);
    EXPECT_EQ(k.listener.begins, k.listener.ends);
}

TEST(Knob, ShiftDuringALinearDragContinuesFromTheCurrentValueTenTimesFiner) {
    KnobInFrame k(kLinearMode);
    k.knob->setValue(0.0f);
    CFrame* frame = k.editor.getFrame();
    CPoint p(40, 40);
    frame->onMouseDown(p, kLButton);
    CPoint up50(40, -10);
    frame->onMouseMoved(up50, kLButton);
    EXPECT_FLOAT_EQ(k.knob->getValue(), 0.25f);
    CPoint same(40, -10);
    frame->onMouseMoved(same, kLButton | kShift);
    EXPECT_FLOAT_EQ(k.knob->getValue(), 0.25f);  // no jump when Shift comes
    CPoint up100(40, -110);
    frame->onMouseMoved(up100, kLButton | kShift);
    EXPECT_NEAR(k.knob->getValue(), 0.30f, 1e-6);
}

TEST(Knob, CircularModeFollowsThePointerAngleAndClampsInTheDeadZone) {
    KnobInFrame k(kCircularMode);
    k.knob->setValue(0.5f);
    k.drag(CPoint(40, 20), CPoint(40, 0));  // straight up: the middle of the range
    EXPECT_NEAR(k.knob->getValue(), 0.5f, 1e-3);
    k.drag(CPoint(40, 40), CPoint(80, 40));  // 3 o'clock: 225 of 270 degrees
    EXPECT_NEAR(k.knob->getValue(), 225.0f / 270.0f, 1e-3);
    k.drag(CPoint(40, 40), CPoint(39, 80));  // straight down, just left of the gap: the minimum
    EXPECT_FLOAT_EQ(k.knob->getValue(), 0.0f);
    k.drag(CPoint(40, 40), CPoint(41, 80));
    EXPECT_FLOAT_EQ(k.knob->getValue(), 1.0f);
}

TEST(Knob, RelativeCircularModeTurnsByTheAngleSwept) {
    KnobInFrame k(kRelativeCircularMode);
    k.knob->setValue(0.2f);
    k.drag(CPoint(59, 40), CPoint(40, 59));  // a quarter turn clockwise: 90 of 270 degrees
    EXPECT_NEAR(k.knob->getValue(), 0.2f + 1.0f / 3.0f, 1e-3);
}

TEST(Knob, WheelAndArrowKeysStepByTheWheelIncrementATenthWithShift) {
    RecordingListener listener;
    CKnob knob(CRect(0, 0, 10, 10), &listener, 0, nullptr);
    knob.setWheelInc(0.05f);
    knob.setValue(0.5f);
    EXPECT_TRUE(knob.onWheel(CPoint(5, 5), 2.0f, 0));
    EXPECT_FLOAT_EQ(knob.getValue(), 0.6f);
    knob.onWheel(CPoint(5, 5), -1.0f, kShift);
    EXPECT_FLOAT_EQ(knob.getValue(), 0.595f);
    CKeyCode down{0, VKEY_DOWN, 0};
    CKeyCode rightFine{0, VKEY_RIGHT, MODIFIER_SHIFT};
    CKeyCode letter{'a', 0, 0};
    EXPECT_TRUE(knob.onKeyDown(down));
    EXPECT_FLOAT_EQ(knob.getValue(), 0.545f);
    EXPECT_TRUE(knob.onKeyDown(rightFine));
    EXPECT_FLOAT_EQ(knob.getValue(), 0.55f);
    EXPECT_FALSE(knob.onKeyDown(letter));
    knob.setValue(1.0f);
    knob.onWheel(CPoint(5, 5), 3.0f, 0);  // already at the top: no change, no edit
    EXPECT_FLOAT_EQ(knob.getValue(), 1.0f);
    EXPECT_EQ(listener.changes.size(), 4u);
    EXPECT_EQ(listener.begins, 4);
}

TEST(Knob, CopiesKeepValueRangeAndBitmapButNoParent) {
    CBitmap* strip = makeStrip(4, 4, 3);
    CAnimKnob knob(CRect(0, 0, 4, 4), nullptr, 9, 3, 4, strip);
    strip->forget();
    knob.setValue(0.7f);
    CView* copy = knob.newCopy();
    ASSERT_TRUE(copy->isTypeOf("CAnimKnob"));
    EXPECT_TRUE(copy->isTypeOf("CKnob"));
    EXPECT_TRUE(copy->isTypeOf("CBaseObject"));
    EXPECT_FALSE(copy->isTypeOf("CTextEdit"));
    auto* other = static_cast<CAnimKnob*>(copy);
    EXPECT_FLOAT_EQ(other->getValue(), 0.7f);
    EXPECT_EQ(other->getTag(), 9);
    EXPECT_EQ(other->getBackground(), knob.getBackground());
    EXPECT_EQ(knob.getBackground()->getNbReference(), 2);
    EXPECT_FALSE(other->isAttached());
    copy->forget();
}
