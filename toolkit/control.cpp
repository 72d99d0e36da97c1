// CControl: value and range, the default-value click, and the listener and edit-gesture plumbing.
#include "toolkit/control.h"

#include "toolkit/frame.h"

CControl::CControl(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background)
    : CView(size), tag_(tag), listener_(listener) {
    setBackground(background);
}

CControl::CControl(const CControl& other)
    : CView(other),
      vmin(other.vmin),
      vmax(other.vmax),
      defaultValue(other.defaultValue),
      wheelInc(other.wheelInc),
      value_(other.getValue()),
      tag_(other.tag_),
      listener_(other.listener_) {}

void CControl::setValue(float value) {
    if (value_.exchange(value, std::memory_order_relaxed) != value) setDirty(true);
}

void CControl::bounceValue() {
    const float v = getValue();
    if (v > vmax) setValue(vmax);
    else if (v < vmin) setValue(vmin);
}

bool CControl::checkDefaultValue(CButtonState buttons) {
    if ((buttons & (kMouseButtons | kModifiers)) != (kLButton | kControl)) return false;
    beginEdit();
    const float old = getValue();
    setValue(defaultValue);
    if (getValue() != old) valueChanged();
    endEdit();
    return true;
}

void CControl::valueChanged() {
    if (listener_) listener_->valueChanged(this);
}

void CControl::beginEdit() {
    ++editing_;
    if (listener_) listener_->controlBeginEdit(this);
    if (CFrame* frame = getFrame()) frame->beginEdit(tag_);
}

void CControl::endEdit() {
    if (editing_ > 0) --editing_;
    if (listener_) listener_->controlEndEdit(this);
    if (CFrame* frame = getFrame()) frame->endEdit(tag_);
}
