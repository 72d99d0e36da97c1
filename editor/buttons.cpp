// On/off buttons.
#include "editor/buttons.h"

#include "editor/control_values.h"
#include "editor/editor_services.h"
#include "editor/film_strip.h"
#include "engine/parameters.h"

namespace zarpa {

CZarpaButton::CZarpaButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap,
                           bool savesPreferences, EditorServices* services)
    : COnOffButton(size, listener, tag, bitmap), savesPreferences_(savesPreferences), services_(services) {}

void CZarpaButton::draw(CDrawContext* context) {
    if (getBackground()) drawFrame(context, getBackground(), size, flash_ ? 2 : (readsOn(getValue()) ? 1 : 0), getHeight());
    setDirty(false);
}

CMouseEventResult CZarpaButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (savesPreferences_ && (buttons & kRButton)) {
        if (services_) services_->saveMeteringPreferences();
        invalid();
        return kConsumed;
    }
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(stepToValue(readsOn(getValue()) ? 0 : 1, 2));
    valueChanged();
    invalid();
    return kConsumed;
}

void CZarpaButton::setFlash(bool on) {
    flash_ = on;
    setDirty(true);
}

COversamplingButton::COversamplingButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                                         CBitmap* bitmap)
    : COnOffButton(size, listener, tag, bitmap) {}

void COversamplingButton::draw(CDrawContext* context) {
    static constexpr CCoord kFrameHeight = 19;
    if (getBackground()) drawFrame(context, getBackground(), size, readsOn(getValue()) ? 1 : 0, kFrameHeight);
    setDirty(false);
}

CMouseEventResult COversamplingButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(readsOn(getValue()) ? 0.0f : 1.0f);
    valueChanged();
    invalid();
    return kConsumed;
}

}  // namespace zarpa
