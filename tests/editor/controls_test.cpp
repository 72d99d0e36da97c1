// The editor's own controls driven by synthetic mouse, wheel and key events on a headless frame, with a
// recording listener: click zones, value steps, knob drags, and which film-strip frame each one draws.
#include <gtest/gtest.h>

#include <vector>

#include "editor/buttons.h"
#include "editor/control_layout.h"
#include "editor/editor_services.h"
#include "editor/my_knob.h"
#include "editor/selectors.h"
#include "engine/parameters.h"
#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

namespace zarpa {
namespace {

class Recorder : public CControlListener, public EditorServices {
public:
    void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
    void controlBeginEdit(CControl*) override { ++begins; }
    void controlEndEdit(CControl*) override { ++ends; }
    void automateParameter(int index, float value) override { automated.push_back({index, value}); }
    void saveMeteringPreferences() override { ++saves; }

    struct Automated {
        int index;
        float value;
    };
    std::vector<float> values;
    std::vector<Automated> automated;
    int begins = 0, ends = 0, saves = 0;
};

// A film strip whose frame k is filled with the grey level k + 1, so a drawn pixel names its frame.
CBitmap* numberedStrip(CCoord width, CCoord frameHeight, int frames) {
    auto* strip = new CBitmap(width, frameHeight * frames);
    for (int k = 0; k < frames; ++k) {
        const auto level = static_cast<std::uint8_t>(k + 1);
        strip->fill(CRect(0, k * frameHeight, width, (k + 1) * frameHeight), CColor{level, level, level, 255});
    }
    return strip;
}

class Controls : public ::testing::Test {
protected:
    // The frame owns the control; the test keeps a typed pointer.
    template <typename T>
    T* add(T* control) {
        frame.addView(control);
        return control;
    }
    // Redraws the frame and returns the frame number drawn at (x, y) (-1 when nothing was drawn there).
    int frameAt(CCoord x, CCoord y) {
        frame.setDirty(true);
        frame.redrawDirtyViews();
        return static_cast<int>(fromPixel(frame.getBackBuffer()->getPixel(x, y)).red) - 1;
    }
    CMouseEventResult click(CCoord x, CCoord y, CButtonState buttons = kLButton) {
        CPoint where(x, y);
        const CMouseEventResult result = frame.onMouseDown(where, buttons);
        frame.onMouseUp(where, 0);
        return result;
    }

    CFrame frame{CRect(0, 0, kEditorWidth, kEditorHeight), nullptr, nullptr};
    Recorder recorder;
};

TEST_F(Controls, OnOffButtonSendsTheCentresOfItsTwoSteps) {
    CBitmap* strip = numberedStrip(33, 19, 3);
    auto* button = add(new CZarpaButton(controlRect(ControlKind::ToggleButton, kDetectorOrder), &recorder, kDetectorOrder, strip, false, &recorder));
    button->setValue(0.5f);
    EXPECT_EQ(frameAt(50, 50), 1);  // 0.5 reads on
    click(50, 50);
    EXPECT_FLOAT_EQ(button->getValue(), 0.25f);
    EXPECT_EQ(frameAt(50, 50), 0);
    click(50, 50);
    EXPECT_FLOAT_EQ(button->getValue(), 0.75f);
    EXPECT_EQ(recorder.values, (std::vector<float>{0.25f, 0.75f}));
    EXPECT_EQ(click(50, 50, kRButton), kMouseEventNotHandled);  // saves nothing: not a metering button
    EXPECT_EQ(recorder.saves, 0);
    strip->forget();
}

TEST_F(Controls, MeteringButtonSavesOnARightClickAndShowsTheFlashFrame) {
    CBitmap* strip = numberedStrip(33, 19, 3);
    auto* button = add(new CZarpaButton(controlRect(ControlKind::ToggleButton, kAttZoom), &recorder, kAttZoom, strip, true, &recorder));
    button->setValue(0.75f);
    click(280, 270, kRButton);
    EXPECT_EQ(recorder.saves, 1);
    EXPECT_FLOAT_EQ(button->getValue(), 0.75f);
    button->setFlash(true);
    EXPECT_EQ(frameAt(280, 270), 2);
    button->setFlash(false);
    EXPECT_EQ(frameAt(280, 270), 1);
    strip->forget();
}

TEST_F(Controls, OversamplingButtonSendsZeroAndOne) {
    CBitmap* strip = numberedStrip(33, 19, 2);
    auto* button = add(new COversamplingButton(controlRect(ControlKind::OversamplingButton), &recorder, kOversample, strip));
    button->setValue(0.75f);
    click(90, 45);
    EXPECT_FLOAT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(frameAt(90, 45), 0);
    click(90, 45);
    EXPECT_FLOAT_EQ(button->getValue(), 1.0f);
    EXPECT_EQ(frameAt(90, 45), 1);
    strip->forget();
}

TEST_F(Controls, ModeButtonDrawsTypeAndScaleAndLeavesThemToTheEditor) {
    CBitmap* strip = numberedStrip(35, 56, 7);
    auto* mode = add(new CModeButton(controlRect(ControlKind::ModeButton), &recorder, kScale, strip, &recorder));
    mode->setType(0.75f);
    mode->setScale(0.9f);
    EXPECT_EQ(frameAt(230, 330), 5);
    click(230, 355);  // bottom zone in the K-system: next scale (wraps to K-12), then the K-system again
    ASSERT_EQ(recorder.automated.size(), 2u);
    EXPECT_EQ(recorder.automated[0].index, kScale);
    EXPECT_FLOAT_EQ(recorder.automated[0].value, stepToValue(0, 3));
    EXPECT_EQ(recorder.automated[1].index, kMeterType);
    EXPECT_EQ(mode->getScale(), 2);  // unchanged until the editor passes the value back
    click(230, 355, kRButton);
    EXPECT_EQ(recorder.saves, 1);
    mode->setFlash(true);
    EXPECT_EQ(frameAt(230, 330), 6);
    mode->setListener(nullptr);
    EXPECT_EQ(click(230, 310), kMouseEventNotHandled);
    strip->forget();
}

TEST_F(Controls, RequantizerSelectorsCycleTheirStepsAndDimWithoutQuantize) {
    CBitmap* bitsStrip = numberedStrip(33, 19, 6);
    CBitmap* shapeStrip = numberedStrip(33, 19, 7);
    CBitmap* blackStrip = numberedStrip(33, 19, 3);
    auto* bits = add(new CBits(controlRect(ControlKind::Bits), &recorder, kBits, bitsStrip));
    auto* shape = add(new CNoiseShape(controlRect(ControlKind::NoiseShape), &recorder, kNoiseShape, shapeStrip));
    auto* black = add(new CAutoBlack(controlRect(ControlKind::AutoBlack), &recorder, kAutoblack, blackStrip));
    for (int i = 0; i < 3; ++i) click(420, 85);
    EXPECT_EQ(recorder.values, (std::vector<float>{stepToValue(1, 3), stepToValue(2, 3), stepToValue(0, 3)}));
    bits->setBits(stepToValue(2, 3));
    EXPECT_EQ(frameAt(420, 85), 2);
    bits->setQuantize(0.75f);
    EXPECT_EQ(frameAt(420, 85), 5);

    for (int i = 0; i < 4; ++i) click(460, 85);
    EXPECT_EQ(shape->getShape(), 0);  // four steps and back to off
    shape->setQuantize(0.75f);
    EXPECT_EQ(frameAt(460, 85), 0);  // off looks the same with Quantize on
    shape->setShape(stepToValue(3, 4));
    EXPECT_EQ(frameAt(460, 85), 6);

    click(460, 45);
    EXPECT_FLOAT_EQ(black->getValue(), 0.75f);
    EXPECT_EQ(frameAt(460, 45), 2);  // on, but Quantize off
    black->setQuantize(0.75f);
    EXPECT_EQ(frameAt(460, 45), 1);
    EXPECT_EQ(click(460, 45, kRButton), kMouseEventNotHandled);
    for (CBitmap* b : {bitsStrip, shapeStrip, blackStrip}) b->forget();
}

TEST_F(Controls, CalibrationButtonBlinksWithA512MillisecondPeriodFromItsClick) {
    CBitmap* strip = numberedStrip(33, 19, 7);
    auto* calib = add(new CCalibButton(controlRect(ControlKind::CalibButton), &recorder, kCalibrate, strip));
    calib->tick(1000);
    EXPECT_EQ(frameAt(280, 350), 0);
    click(280, 350);  // left, highlighted first
    EXPECT_EQ(frameAt(280, 350), 4);
    calib->tick(1000 + 256);
    EXPECT_EQ(frameAt(280, 350), 1);
    calib->tick(1000 + 512);
    EXPECT_EQ(frameAt(280, 350), 4);
    calib->setValue(stepToValue(2, 4));  // l+r uncorrelated shows the strip's third state
    calib->tick(1000 + 300);
    EXPECT_EQ(frameAt(280, 350), 3);
    calib->setValue(stepToValue(3, 4));
    EXPECT_EQ(frameAt(280, 350), 2);
    strip->forget();
}

TEST_F(Controls, TransientShapeSwitchHasThreeHotZonesAndConsumesEveryLeftClick) {
    CBitmap* strip = numberedStrip(90, 25, 3);
    auto* shape = add(new CSpeedSwitch(controlRect(ControlKind::SpeedSwitch), &recorder, kTransShape, strip));
    shape->setValue(stepToValue(1, 3));
    EXPECT_EQ(click(60, 130), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_TRUE(recorder.values.empty());
    click(39, 123);
    click(122, 140);
    click(89, 130);
    click(100, 141);  // below the zones
    EXPECT_EQ(recorder.values, (std::vector<float>{stepToValue(0, 3), stepToValue(2, 3), stepToValue(1, 3)}));
    EXPECT_EQ(frameAt(60, 130), 1);
    strip->forget();
}

class Knob : public Controls {
protected:
    void SetUp() override {
        strip = numberedStrip(50, 2, 101);  // frames of 2 px so 101 grey levels fit
        knob = add(new CMyKnob(controlRect(ControlKind::Knob, kTransient), &recorder, kTransient, 2, strip));
        knob->setWheelInc(0.03125f);
        knob->setDefaultValue(0.2f);
        knob->setValue(0.0f);
    }
    void TearDown() override { strip->forget(); }

    CBitmap* strip = nullptr;
    CMyKnob* knob = nullptr;
};

TEST_F(Knob, FourHundredPixelsUpwardsCoverTheRangeAndShiftSlowsDownWithoutAJump) {
    CPoint p(80, 200);
    frame.onMouseDown(p, kLButton);
    CPoint half(80, 0);
    frame.onMouseMoved(half, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    // The event that brings Shift still moves at the old speed; from there on 1/1000 per pixel.
    CPoint shifted(80, -1);
    frame.onMouseMoved(shifted, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.5025f, 1e-6);
    CPoint slow(80, -101);
    frame.onMouseMoved(slow, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.6025f, 1e-6);
    CPoint released(80, -102);
    frame.onMouseMoved(released, kLButton);
    CPoint fast(80, -142);
    frame.onMouseMoved(fast, kLButton);  // 40 px more at 1/400 again
    EXPECT_NEAR(knob->getValue(), 0.6035f + 0.1f, 1e-6);
    CPoint far(80, -1000);
    frame.onMouseMoved(far, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    frame.onMouseUp(far, 0);
    EXPECT_EQ(recorder.begins, 1);
    EXPECT_EQ(recorder.ends, 1);
}

TEST_F(Knob, WheelStepsAreHundredthsOrThousandthsAndStayInRange) {
    frame.onWheel(CPoint(80, 190), 1.0f, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.01f);
    frame.onWheel(CPoint(80, 190), 1.0f, kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.011f);
    frame.onWheel(CPoint(80, 190), -5.0f, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.0f);
    EXPECT_EQ(recorder.values.size(), 3u);
    EXPECT_TRUE(frame.onWheel(CPoint(80, 190), -1.0f, 0));  // consumed even when nothing moves
    EXPECT_EQ(recorder.values.size(), 3u);
    EXPECT_EQ(recorder.begins, recorder.ends);
}

TEST_F(Knob, ArrowKeysStepByTheKnobsIncrementAndControlClickRestoresTheDefault) {
    CPoint over(80, 190);
    frame.onMouseMoved(over, 0);
    CKeyCode up{0, VKEY_UP, 0};
    frame.onKeyDown(up);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.03125f);
    CKeyCode fineDown{0, VKEY_LEFT, MODIFIER_SHIFT};
    frame.onKeyDown(fineDown);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.028125f);
    click(80, 190, kLButton | kControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    click(80, 190, kLButton | kControl | kShift);  // not the default click: a drag that does not move
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
}

TEST_F(Knob, DrawsTheFrameOfItsValue) {
    knob->setValue(0.5f);
    EXPECT_EQ(frameAt(80, 169), 50);
    knob->setValue(1.0f);
    EXPECT_EQ(frameAt(80, 169), 100);
    knob->setValue(0.999f);
    EXPECT_EQ(frameAt(80, 169), 99);
}

}  // namespace
}  // namespace zarpa
