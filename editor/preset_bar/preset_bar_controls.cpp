// Drawing and mouse handling of the preset bar's buttons and rocker.
#include "editor/preset_bar/preset_bar_controls.h"

#include "toolkit/bitmap.h"
#include "toolkit/sub_image.h"

namespace zarpa {

namespace {

void drawImage(CControl& control, CBitmap* bitmap, CDrawContext* context, const CPoint& offset, int image,
               CCoord imageHeight) {
    if (bitmap) bitmap->draw(context, control.getViewSize(), subImageOffset(offset, image, imageHeight));
    control.setDirty(false);
}

}  // namespace

// ---- CPSHoverButton ----

void CPSHoverButton::draw(CDrawContext* context) {
    drawImage(*this, pBackground, context, offset, imageIndex(), heightOfOneImage);
}

CMouseEventResult CPSHoverButton::onMouseEntered(CPoint&, const CButtonState&) {
    hover = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSHoverButton::onMouseExited(CPoint&, const CButtonState&) {
    hover = false;
    invalid();
    return kMouseEventHandled;
}

// ---- CPSKickButton ----

CPSKickButton::CPSKickButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                             CCoord heightOfOneImage, CBitmap* background, const CPoint& offset,
                             bool needsDoubleClick)
    : CPSHoverButton(size, listener, tag, heightOfOneImage, background, offset), doubleClickNeeded(needsDoubleClick) {}

int CPSKickButton::imageIndex() const { return pressed ? 2 : hover ? 1 : 0; }

CMouseEventResult CPSKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & kLButton) || (doubleClickNeeded && !(buttons & kDoubleClick)))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    pressed = true;
    setValue(doubleClickNeeded && (buttons & kControl) ? bar_click::kClearDefault : bar_click::kPlain);
    remember();  // the listener's action may close the window, and with it this button
    valueChanged();
    invalid();
    forget();
    return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseUp(CPoint&, const CButtonState&) {
    setValue(0.0f);
    pressed = false;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventHandled; }


// ---- CSaveLoadButton ----

CSaveLoadButton::CSaveLoadButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CPSHoverButton(size, listener, tag, heightOfOneImage, background, offset) {}

int CSaveLoadButton::imageIndex() const { return getValue() != 0.0f ? 2 : hover ? 1 : 0; }

CMouseEventResult CSaveLoadButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & (kLButton | kRButton)) || !getListener()) return kMouseEventNotHandled;
    setValue(buttons == kRButton ? bar_click::kReversedLoad : bar_click::kPlain);
    invalid();  // the working image shows while the DLL's modal dialog is up
    remember();  // the host may close the window while that dialog runs
    valueChanged();
    setValue(0.0f);
    invalid();
    forget();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}


// ---- CPSRockerSwitch ----

CPSRockerSwitch::CPSRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag,
                                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset,
                                 std::int32_t style)
    : CRockerSwitch(size, listener, tag, heightOfOneImage, background, offset, style) {}

int CPSRockerSwitch::imageIndex() const {
    const float v = getValue();
    if (v < -0.5f) return 3;
    if (v > 0.5f) return 4;
    if (hoverSide < 0) return 1;
    if (hoverSide > 0) return 2;
    return 0;
}

void CPSRockerSwitch::draw(CDrawContext* context) {
    drawImage(*this, pBackground, context, offset, imageIndex(), heightOfOneImage);
}

CMouseEventResult CPSRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(static_cast<float>(sideAt(where)));
    invalid();
    remember();
    valueChanged();
    forget();
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseUp(CPoint&, const CButtonState&) {
    setValue(0.0f);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (buttons & kLButton) return kMouseEventHandled;
    return onMouseEntered(where, buttons);
}

CMouseEventResult CPSRockerSwitch::onMouseEntered(CPoint& where, const CButtonState&) {
    hoverSide = sideAt(where);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseExited(CPoint&, const CButtonState&) {
    hoverSide = 0;
    invalid();
    return kMouseEventHandled;
}

}  // namespace zarpa
