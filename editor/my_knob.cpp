// The editor's knob.
#include "editor/my_knob.h"

#include <algorithm>

#include "editor/control_values.h"
#include "toolkit/bitmap.h"
#include "toolkit/sub_image.h"

namespace zarpa {

CMyKnob::CMyKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord frameHeight, CBitmap* bitmap)
    : CAnimKnob(size, listener, tag, kFrameCount, frameHeight, bitmap) {}

void CMyKnob::draw(CDrawContext* context) {
    if (CBitmap* bitmap = getBackground())
        bitmap->draw(context, size, CPoint(0, animationFrameOffset(getValue(), subPixmaps, heightOfOneImage)));
    setDirty(false);
}

float CMyKnob::factorFor(CButtonState buttons) const {
    return (vmax - vmin) / ((buttons & kShift) ? kFineRangePx : kRangePx);
}

float CMyKnob::limited(float value) const { return std::clamp(value, std::min(vmin, vmax), std::max(vmin, vmax)); }

CMouseEventResult CMyKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    if (checkDefaultValue(buttons)) return kConsumed;
    start_ = where;
    last_ = where;
    startValue_ = getValue();
    factor_ = factorFor(buttons);
    dragButtons_ = buttons;
    beginEdit();
    onMouseMoved(where, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CMyKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton) || !isEditing()) return kMouseEventNotHandled;
    if (where == last_) return kMouseEventHandled;
    last_ = where;
    const float delta = static_cast<float>((start_.y - where.y) + (where.x - start_.x));
    if (buttons != dragButtons_) {  // Shift pressed or released mid-drag: same value, new speed
        const float newFactor = factorFor(buttons);
        startValue_ += (factor_ - newFactor) * delta;
        factor_ = newFactor;
        dragButtons_ = buttons;
    }
    setValue(limited(startValue_ + delta * factor_));
    invalid();
    valueChanged();
    return kMouseEventHandled;
}

bool CMyKnob::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    const float old = getValue();
    setValue(limited(old + distance * ((buttons & kShift) ? 0.001f : 0.01f)));
    if (getValue() != old && getListener()) {
        invalid();
        beginEdit();
        valueChanged();
        endEdit();
    }
    return true;
}

}  // namespace zarpa
