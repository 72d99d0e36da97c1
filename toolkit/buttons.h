// Film-strip buttons: the on/off button, the kick (momentary) button and the rocker switch.
#pragma once

#include "toolkit/control.h"

// Two images, each as high as the button: 0 off, 1 on. A left click toggles between min and max and
// tells the listener. On means a value in the upper half of the range.
class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background);

    bool isOn() const { return getValue() >= vmin + (vmax - vmin) * 0.5f; }
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new COnOffButton(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "COnOffButton") == 0 || CControl::isTypeOf(type);
    }
};

// Momentary: max while the left button holds it down with the pointer inside, min otherwise. The
// listener hears the press and the release. Images from offset: 0 released, 1 pressed.
class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint(0, 0));

    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new CKickButton(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CKickButton") == 0 || CControl::isTypeOf(type);
    }

protected:
    CCoord heightOfOneImage;
    CPoint offset;
};

// Value -1, 0 or +1 (range [-1, 1]): pressing the left or top half gives -1, the other half +1, and
// releasing returns to 0; the listener hears both. Images from offset: 0 rest, 1 minus, 2 plus.
class CRockerSwitch : public CControl {
public:
    CRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                  CBitmap* background, const CPoint& offset = CPoint(0, 0), std::int32_t style = kHorizontal);

    std::int32_t getStyle() const { return style; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    // -1 when the point lies in the first (left or top) half, else +1.
    int sideAt(const CPoint& where) const;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new CRockerSwitch(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CRockerSwitch") == 0 || CControl::isTypeOf(type);
    }

protected:
    CCoord heightOfOneImage;
    CPoint offset;
    std::int32_t style;
};
