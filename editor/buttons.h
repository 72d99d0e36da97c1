// The editor's on/off buttons. CZarpaButton sends 0.25 and 0.75 (the centres of off and on) and, when it
// belongs to the metering settings, saves the metering preferences on a right click and shows the
// preferences-saved flash. COversamplingButton sends 0.0 and 1.0.
//
// Threading: user-interface thread only.
#pragma once

#include "toolkit/buttons.h"

namespace zarpa {

class EditorServices;

class CZarpaButton : public COnOffButton {
public:
    // services may be null for a button that does not save preferences.
    CZarpaButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap,
                 bool savesPreferences, EditorServices* services);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new CZarpaButton(*this); }

    void setFlash(bool on);
    bool getFlash() const { return flash_; }
    bool savesPreferences() const { return savesPreferences_; }

private:
    bool savesPreferences_;
    EditorServices* services_;
    bool flash_ = false;
};

class COversamplingButton : public COnOffButton {
public:
    COversamplingButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new COversamplingButton(*this); }
};

}  // namespace zarpa
