// Rotary knobs: CKnob draws a pointer over its background; CAnimKnob shows one frame of a film strip.
#pragma once

#include "toolkit/control.h"

// Dragging follows the frame's knob mode (the host's effSetEditKnobMode): linear, where moving up
// or right turns the knob up (200 px for the whole range, 2000 px while Shift is held), or circular,
// where the pointer's angle around the centre sets the value (absolutely, or relatively from where the
// drag began). A drag is one edit gesture. The wheel and the arrow keys step by the wheel increment
// (a tenth of it with Shift). A left click with Control restores the default value.
class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
          const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool onKeyDown(CKeyCode& key) override;

    void setColorHandle(const CColor& color) { colorHandle = color; }
    void setColorShadowHandle(const CColor& color) { colorShadowHandle = color; }
    // The angle of the pointer for a value, in radians counter-clockwise from 3 o'clock: the range runs
    // clockwise from 225 degrees (7:30) to -45 degrees (4:30).
    static double angleForValue(float normalised);

    CView* newCopy() const override { return new CKnob(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CKnob") == 0 || CControl::isTypeOf(type);
    }

protected:
    // Moves the value by steps of the wheel increment (of the range) as one edit; true when it changed.
    bool stepValue(float steps);
    float normalisedValue() const;
    double pointerAngle(const CPoint& where) const;

    CPoint offset;
    CColor colorHandle = kWhiteCColor;
    CColor colorShadowHandle = kGreyCColor;

private:
    std::int32_t dragMode_ = kLinearMode;
    CPoint dragStart_;
    float dragStartValue_ = 0.0f;
    bool dragFine_ = false;
    double lastAngle_ = 0.0;
};

// Frames of heightOfOneImage pixels stacked from offset down; a value of 0 shows the first, 1 the last.
class CAnimKnob : public CKnob {
public:
    CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
              CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint(0, 0));

    int getNumSubPixmaps() const { return subPixmaps; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    void draw(CDrawContext* context) override;

    CView* newCopy() const override { return new CAnimKnob(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CAnimKnob") == 0 || CKnob::isTypeOf(type);
    }

protected:
    int subPixmaps;
    CCoord heightOfOneImage;
};
