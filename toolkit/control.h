// CControl: a view with a value in a range, a default value, a tag and a listener told of user changes.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/view.h"

class CControl;

// Style bits of the controls that take a style word.
enum CStyle : std::int32_t {
    kHorizontal = 1 << 0,     // rocker switch: left and right halves
    kVertical = 1 << 1,       // rocker switch: top and bottom halves
    kNoTextStyle = 1 << 11,   // text displays and menus: no text
    kNoDrawStyle = 1 << 12,   // text displays and menus: draw nothing at all
};

// Receives the changes a user makes to controls.
class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // A drag or other gesture begins or ends (the host's automation gesture follows through the editor).
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
};

// Threading: setValue and getValue may be called from any thread (a parameter change arriving from the
// audio thread moves the control); the listener is only ever called on the user-interface thread.
// Range, default value, tag and listener are set while the control is built.
class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, std::int32_t tag = 0,
             CBitmap* background = nullptr);
    CControl(const CControl& other);

    // Stores the value as given (bounceValue limits it); a changed value marks the control dirty.
    virtual void setValue(float value);
    virtual float getValue() const { return value_.load(std::memory_order_relaxed); }
    virtual void setMin(float value) { vmin = value; }
    virtual float getMin() const { return vmin; }
    virtual void setMax(float value) { vmax = value; }
    virtual float getMax() const { return vmax; }
    float getRange() const { return vmax - vmin; }
    virtual void setDefaultValue(float value) { defaultValue = value; }
    virtual float getDefaultValue() const { return defaultValue; }
    // Step of one wheel notch and of one arrow key, as a fraction of the range.
    void setWheelInc(float increment) { wheelInc = increment; }
    float getWheelInc() const { return wheelInc; }

    void setTag(std::int32_t tag) { tag_ = tag; }
    std::int32_t getTag() const { return tag_; }
    void setListener(CControlListener* listener) { listener_ = listener; }
    CControlListener* getListener() const { return listener_; }

    // Limits the value to [min, max].
    virtual void bounceValue();
    // A left click with Control and no other modifier restores the default value (as one edit,
    // telling the listener when the value changed). True when it acted.
    virtual bool checkDefaultValue(CButtonState buttons);

    // Tells the listener of the current value.
    void valueChanged();
    // An edit gesture: the listener, then the frame's editor (which tells the host with the tag).
    void beginEdit();
    void endEdit();
    bool isEditing() const { return editing_ > 0; }

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CControl") == 0 || CView::isTypeOf(type);
    }

protected:
    float vmin = 0.0f;
    float vmax = 1.0f;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;

private:
    std::atomic<float> value_{0.0f};
    std::int32_t tag_;
    CControlListener* listener_;
    int editing_ = 0;
};
