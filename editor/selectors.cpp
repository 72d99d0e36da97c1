// Mode button, requantizer selectors, calibration button and transient-shape switch.
#include "editor/selectors.h"

#include "editor/control_layout.h"
#include "editor/control_values.h"
#include "editor/editor_services.h"
#include "editor/film_strip.h"
#include "engine/parameters.h"

namespace zarpa {

namespace {

constexpr CCoord kSelectorFrameHeight = 19;

// The common end of a click that changed a selector: the new value goes to the listener.
CMouseEventResult sendStep(CControl& control, int step, int steps) {
    control.setValue(stepToValue(step, steps));
    control.valueChanged();
    control.invalid();
    return kConsumed;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------

CModeButton::CModeButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap,
                         EditorServices* services)
    : CControl(size, listener, tag, bitmap), services_(services) {}

void CModeButton::draw(CDrawContext* context) {
    static constexpr int kFlashFrame = 6;
    drawFrame(context, getBackground(), size, flash_ ? kFlashFrame : scale_ + 3 * type_, size.getHeight());
    setDirty(false);
}

CMouseEventResult CModeButton::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & (kLButton | kRButton)) || !getListener() || !services_) return kMouseEventNotHandled;
    if (buttons & kRButton) {
        services_->saveMeteringPreferences();
    } else if (where.y < size.top + kZoneHeight) {
        services_->automateParameter(kMeterType, stepToValue(0, 2));
    } else if (where.y > size.bottom - kZoneHeight) {
        if (type_ == 1) services_->automateParameter(kScale, stepToValue((scale_ + 1) % 3, 3));
        services_->automateParameter(kMeterType, stepToValue(1, 2));
    }
    invalid();
    return kConsumed;
}

void CModeButton::setFlash(bool on) {
    flash_ = on;
    setDirty(true);
}
void CModeButton::setType(float value) {
    type_ = valueToStep(value, 2);
    setDirty(true);
}
void CModeButton::setScale(float value) {
    scale_ = valueToStep(value, 3);
    setDirty(true);
}

// ---------------------------------------------------------------------------------------------------------

CRequantizerSelector::CRequantizerSelector(const CRect& size, CControlListener* listener, std::int32_t tag,
                                           CBitmap* bitmap, int steps)
    : CControl(size, listener, tag, bitmap), steps_(steps) {}

void CRequantizerSelector::draw(CDrawContext* context) {
    drawFrame(context, getBackground(), size, frameOf(step_, quantize_), kSelectorFrameHeight);
    setDirty(false);
}

CMouseEventResult CRequantizerSelector::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    step_ = (step_ + 1) % steps_;
    return sendStep(*this, step_, steps_);
}

void CRequantizerSelector::setQuantize(float value) {
    quantize_ = readsOn(value);
    setDirty(true);
}

void CRequantizerSelector::setStepValue(float value) {
    step_ = valueToStep(value, steps_);
    setDirty(true);
}

CBits::CBits(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap)
    : CRequantizerSelector(size, listener, tag, bitmap, 3) {}

CNoiseShape::CNoiseShape(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap)
    : CRequantizerSelector(size, listener, tag, bitmap, 4) {}

CAutoBlack::CAutoBlack(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap)
    : CRequantizerSelector(size, listener, tag, bitmap, 2) {}

// ---------------------------------------------------------------------------------------------------------

CCalibButton::CCalibButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap)
    : CControl(size, listener, tag, bitmap) {}

void CCalibButton::draw(CDrawContext* context) {
    // The strip holds left, right, l+r; the states are left, l+r, right.
    static constexpr int kFrameOfState[4] = {0, 1, 3, 2};
    static constexpr int kHighlightFrames = 3;
    static constexpr std::uint32_t kBlinkPeriodMs = 512;
    const int state = valueToStep(getValue(), 4);
    const bool highlighted = state != 0 && (lastTick_ - clickTick_) % kBlinkPeriodMs < kBlinkPeriodMs / 2;
    drawFrame(context, getBackground(), size, kFrameOfState[state] + (highlighted ? kHighlightFrames : 0),
              kSelectorFrameHeight);
    setDirty(false);
}

CMouseEventResult CCalibButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    clickTick_ = lastTick_;
    return sendStep(*this, (valueToStep(getValue(), 4) + 1) % 4, 4);
}

void CCalibButton::tick(std::uint32_t now) {
    lastTick_ = now;
    if (valueToStep(getValue(), 4) != 0) setDirty(true);
}

// ---------------------------------------------------------------------------------------------------------

CSpeedSwitch::CSpeedSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap)
    : CControl(size, listener, tag, bitmap) {}

void CSpeedSwitch::draw(CDrawContext* context) {
    static constexpr CCoord kFrameHeight = 25;
    drawFrame(context, getBackground(), size, valueToStep(getValue(), 3), kFrameHeight);
    setDirty(false);
}

CMouseEventResult CSpeedSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    // One hot zone per position, in frame coordinates; a click between them is consumed all the same.
    for (int position = 0; position < 3; ++position)
        if (toCRect(window::kTransShapeZones[position]).pointInside(where)) return sendStep(*this, position, 3);
    return kConsumed;
}

}  // namespace zarpa
