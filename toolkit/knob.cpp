// Knob drawing and the three drag modes.
#include "toolkit/knob.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame.h"
#include "toolkit/sub_image.h"

namespace {

constexpr double kStartAngle = 1.25 * std::numbers::pi;  // value 0 points to 7:30
constexpr double kRangeAngle = 1.5 * std::numbers::pi;   // 270 degrees clockwise to 4:30
constexpr CCoord kLinearRangePx = 200;
constexpr CCoord kFineRangePx = 2000;

// An angle difference brought into (-pi, pi].
double wrapped(double a) {
    while (a > std::numbers::pi) a -= 2.0 * std::numbers::pi;
    while (a <= -std::numbers::pi) a += 2.0 * std::numbers::pi;
    return a;
}

}  // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
             const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset) {}

double CKnob::angleForValue(float normalised) { return kStartAngle - static_cast<double>(normalised) * kRangeAngle; }

float CKnob::normalisedValue() const {
    const float range = getRange();
    return range != 0.0f ? (getValue() - vmin) / range : 0.0f;
}

double CKnob::pointerAngle(const CPoint& where) const {
    const double cx = size.left + getWidth() / 2.0;
    const double cy = size.top + getHeight() / 2.0;
    return std::atan2(cy - where.y, where.x - cx);
}

void CKnob::draw(CDrawContext* context) {
    if (pBackground) pBackground->draw(context, size, offset);
    const double angle = angleForValue(normalisedValue());
    const double radius = std::min(getWidth(), getHeight()) / 2.0 - 3.0;
    const CPoint centre(size.left + getWidth() / 2, size.top + getHeight() / 2);
    const CPoint tip(centre.x + static_cast<CCoord>(std::lround(std::cos(angle) * radius)),
                     centre.y - static_cast<CCoord>(std::lround(std::sin(angle) * radius)));
    context->setLineWidth(1);
    context->setFrameColor(colorShadowHandle);
    context->drawLine(CPoint(centre.x + 1, centre.y + 1), CPoint(tip.x + 1, tip.y + 1));
    context->setFrameColor(colorHandle);
    context->drawLine(centre, tip);
    setDirty(false);
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    if (checkDefaultValue(buttons)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    dragMode_ = getFrame() ? getFrame()->getKnobMode() : kCircularMode;
    dragStart_ = where;
    dragStartValue_ = getValue();
    dragFine_ = (buttons & kShift) != 0;
    lastAngle_ = pointerAngle(where);
    beginEdit();
    if (dragMode_ == kCircularMode) onMouseMoved(where, buttons);  // the knob jumps to the pointer
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton) || !isEditing()) return kMouseEventNotHandled;
    const float old = getValue();
    float value = old;
    if (dragMode_ == kLinearMode) {
        const bool fine = (buttons & kShift) != 0;
        if (fine != dragFine_) {  // continue from here at the new speed instead of jumping
            dragFine_ = fine;
            dragStart_ = where;
            dragStartValue_ = old;
        }
        const CCoord delta = (dragStart_.y - where.y) + (where.x - dragStart_.x);
        value = dragStartValue_ + static_cast<float>(delta) * getRange() / (fine ? kFineRangePx : kLinearRangePx);
    } else if (dragMode_ == kCircularMode) {
        double d = kStartAngle - pointerAngle(where);
        while (d < 0.0) d += 2.0 * std::numbers::pi;
        while (d >= 2.0 * std::numbers::pi) d -= 2.0 * std::numbers::pi;
        if (d > kRangeAngle) d = d > kRangeAngle + (2.0 * std::numbers::pi - kRangeAngle) / 2.0 ? 0.0 : kRangeAngle;
        value = vmin + static_cast<float>(d / kRangeAngle) * getRange();
    } else {
        const double angle = pointerAngle(where);
        value = old - static_cast<float>(wrapped(angle - lastAngle_) / kRangeAngle) * getRange();
        lastAngle_ = angle;
    }
    setValue(std::clamp(value, std::min(vmin, vmax), std::max(vmin, vmax)));
    if (getValue() != old) valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&) {
    if (isEditing()) endEdit();
    return kMouseEventHandled;
}

bool CKnob::stepValue(float steps) {
    const float old = getValue();
    setValue(old + steps * wheelInc * getRange());
    bounceValue();
    if (getValue() == old) return false;
    beginEdit();
    valueChanged();
    endEdit();
    return true;
}

bool CKnob::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    stepValue((buttons & kShift) ? distance * 0.1f : distance);
    return true;
}

bool CKnob::onKeyDown(CKeyCode& key) {
    float direction = 0.0f;
    if (key.virt == VKEY_UP || key.virt == VKEY_RIGHT) direction = 1.0f;
    if (key.virt == VKEY_DOWN || key.virt == VKEY_LEFT) direction = -1.0f;
    if (direction == 0.0f) return false;
    stepValue((key.modifier & MODIFIER_SHIFT) ? direction * 0.1f : direction);
    return true;
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, offset), subPixmaps(subPixmaps), heightOfOneImage(heightOfOneImage) {}

void CAnimKnob::draw(CDrawContext* context) {
    if (pBackground) {
        const CCoord row = animationFrameOffset(normalisedValue(), subPixmaps, heightOfOneImage);
        pBackground->draw(context, size, CPoint(offset.x, offset.y + row));
    }
    setDirty(false);
}
