// The film-strip buttons' drawing and mouse handling.
#include "toolkit/buttons.h"

#include "toolkit/bitmap.h"
#include "toolkit/sub_image.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background)
    : CControl(size, listener, tag, background) {}

void COnOffButton::draw(CDrawContext* context) {
    if (pBackground) pBackground->draw(context, size, subImageOffset(CPoint(0, 0), isOn() ? 1 : 0, getHeight()));
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(isOn() ? vmin : vmax);
    invalid();
    valueChanged();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), heightOfOneImage(heightOfOneImage), offset(offset) {}

void CKickButton::draw(CDrawContext* context) {
    const bool pressed = getValue() >= vmax;
    if (pBackground) pBackground->draw(context, size, subImageOffset(offset, pressed ? 1 : 0, heightOfOneImage));
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(vmax);
    valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    const float wanted = size.pointInside(where) ? vmax : vmin;
    if (wanted != getValue()) {
        setValue(wanted);
        valueChanged();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&) {
    if (getValue() != vmin) {
        setValue(vmin);
        valueChanged();
    }
    return kMouseEventHandled;
}

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag,
                             CCoord heightOfOneImage, CBitmap* background, const CPoint& offset, std::int32_t style)
    : CControl(size, listener, tag, background), heightOfOneImage(heightOfOneImage), offset(offset), style(style) {
    vmin = -1.0f;
    vmax = 1.0f;
    defaultValue = 0.0f;
}

int CRockerSwitch::sideAt(const CPoint& where) const {
    if (style & kVertical) return where.y < size.top + getHeight() / 2 ? -1 : 1;
    return where.x < size.left + getWidth() / 2 ? -1 : 1;
}

void CRockerSwitch::draw(CDrawContext* context) {
    const float v = getValue();
    const int image = v < 0.0f ? 1 : v > 0.0f ? 2 : 0;
    if (pBackground) pBackground->draw(context, size, subImageOffset(offset, image, heightOfOneImage));
    setDirty(false);
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(static_cast<float>(sideAt(where)));
    valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const CButtonState&) {
    setValue(0.0f);
    valueChanged();
    return kMouseEventHandled;
}
