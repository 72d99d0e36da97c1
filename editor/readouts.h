// The numeric readouts under the meters: the highest input and output peaks since the last reset (with
// the K-system offset and a red box once a sample peak went above 0 dBFS), and the deepest gain reduction.
// A left click resets every meter and readout.
//
// Threading: user-interface thread only; the editor feeds them from its idle pass.
#pragma once

#include "editor/text_printer.h"
#include "toolkit/control.h"

namespace zarpa {

class CMeterLCD : public CControl, public CTextPrinter2Color {
public:
    CMeterLCD(const CRect& size, CControlListener* listener, CBitmap* background, CBitmap* font, CBitmap* secondFont);
    CMeterLCD(const CMeterLCD& other) = default;

    void setPeaks(float peakLeft, float peakRight);  // linear
    void setMode(int mode);
    void reset();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new CMeterLCD(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CMeterLCD") == 0 || CControl::isTypeOf(type);
    }

    float maximumDb(int side) const { return maximumDb_[side]; }
    int getMode() const { return mode_; }

private:
    float maximumDb_[2] = {kStartDb, kStartDb};
    int mode_ = 0;
    static constexpr float kStartDb = -120.0f;
};

class CMeterLCDGR : public CControl, public CTextPrinter {
public:
    CMeterLCDGR(const CRect& size, CControlListener* listener, CBitmap* background, CBitmap* font);
    CMeterLCDGR(const CMeterLCDGR& other) = default;

    void setGains(float gainLeft, float gainRight);  // linear
    void reset();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new CMeterLCDGR(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CMeterLCDGR") == 0 || CControl::isTypeOf(type);
    }

    float minimumDb(int side) const { return minimumDb_[side]; }

private:
    float minimumDb_[2] = {0.0f, 0.0f};
};

}  // namespace zarpa
