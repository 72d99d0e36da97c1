// The preset bar's own buttons: the kick button with hover and double-click guard, the file button that
// tells a right click apart, and the rocker that steps one program per click.
#pragma once

#include "toolkit/buttons.h"

namespace zarpa {

// The values the bar's buttons send to say what kind of click they had; the release sets 0 silently.
namespace bar_click {
constexpr float kPlain = 1.0f;               // a left click (on a default button: a double click): act
constexpr float kReversedLoad = 0.5f;        // a file button's plain right click: load byte-reversed
constexpr float kClearDefault = 0.5f;        // a default button's control-double click: forget the stored one
constexpr float kStoreDefaultAtLeast = 0.75f;  // a default button's value from here up stores, below clears
}  // namespace bar_click

// What the preset bar's two kick buttons share: a hover flag set on enter and cleared on exit, and
// drawing the sub-image the derived class picks.
class CPSHoverButton : public CKickButton {
public:
    using CKickButton::CKickButton;

    virtual int imageIndex() const = 0;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

protected:
    bool hover = false;
};

// A momentary button with three images: 0 at rest, 1 under the pointer, 2 held down. A button that needs
// a double click ignores single clicks; a control-double click gives bar_click::kClearDefault instead of
// bar_click::kPlain. The listener hears the press only; the release returns the value to 0 silently.
class CPSKickButton : public CPSHoverButton {
public:
    CPSKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                  CBitmap* background, const CPoint& offset, bool needsDoubleClick);

    bool isPressed() const { return pressed; }
    bool needsDoubleClick() const { return doubleClickNeeded; }
    // The image drawn now (0 rest, 1 hover, 2 pressed).
    int imageIndex() const override;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    // Dragging does nothing: the press has already been acted on, and sliding off the button must not
    // send a second value (for the default buttons a 0 would clear the stored record).
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CPSKickButton") == 0 || CKickButton::isTypeOf(type);
    }

private:
    bool doubleClickNeeded;
    bool pressed = false;
};

// A load or save button: a left click gives bar_click::kPlain, a plain right click (no other button or
// key) bar_click::kReversedLoad. The file operation runs inside the listener
// call; the value is back at 0 when the click returns. Images: 0 rest, 1 hover, 2 while working.
class CSaveLoadButton : public CPSHoverButton {
public:
    CSaveLoadButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                    CBitmap* background, const CPoint& offset);

    int imageIndex() const override;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CSaveLoadButton") == 0 || CKickButton::isTypeOf(type);
    }
};

// Previous/next: a press on the left half gives -1, on the right half +1, and the listener hears it once;
// the release returns to 0 without a second notification, so one click steps exactly one program.
// Images: 0 rest, 1 and 2 the left or right half under the pointer, 3 and 4 the left or right half held.
class CPSRockerSwitch : public CRockerSwitch {
public:
    CPSRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                    CBitmap* background, const CPoint& offset, std::int32_t style);

    int imageIndex() const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CPSRockerSwitch") == 0 || CRockerSwitch::isTypeOf(type);
    }

private:
    int hoverSide = 0;  // -1 left half, 0 none, +1 right half
};

}  // namespace zarpa
