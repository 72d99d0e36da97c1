// The input, output and gain-reduction meters: bitmap strips drawn at fixed frame positions, with their
// own hold and fall advanced by the ticks the editor's idle delivers. A left click asks the listener
// (the editor) to reset every meter and readout.
//
// Threading: user-interface thread only; the editor feeds them from its idle pass.
#pragma once

#include <cstdint>

#include "editor/meter_ballistics.h"
#include "layout/window_layout.h"
#include "toolkit/control.h"

class CBitmap;

namespace zarpa {

class CLevelMeter : public CControl {
public:
    // The window background is held (with a reference of the meter's own) but never drawn.
    CLevelMeter(const CRect& size, CControlListener* listener, CBitmap* background,
                const window::LevelMeterLayout& layout, float startDb);
    CLevelMeter(const CLevelMeter& other);
    ~CLevelMeter() override;

    // Linear amplitudes; a level is the sine-calibrated mean-square level (a full-scale sine reads 1.0).
    void setLevels(std::uint32_t tick, float peakLeft, float peakRight, float levelLeft, float levelRight);
    void setMode(int mode);
    void reset();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    int getMode() const { return mode_; }
    float displayedPeakDb(int side) const { return peaks_[side].displayedDb(); }

private:
    void drawPeakMode(CDrawContext* context, CCoord barX, float displayedDb) const;
    void drawKSystemMode(CDrawContext* context, CCoord barX, float levelDb, float displayedDb) const;

    enum { kBackground, kUnlitPeak, kLitPeak, kScaleK20, kScaleK14, kScalePeakK12, kUnlitK, kLitK, kBitmapCount };
    CBitmap* bitmaps_[kBitmapCount];
    window::LevelMeterLayout layout_;  // bars and scale in frame coordinates, scale bitmaps
    std::uint32_t previousTick_ = 0;
    std::uint32_t currentTick_ = 0;
    PeakHoldFall peaks_[2];
    float peakDb_[2];
    float levelDb_[2];
    int mode_ = 0;
};

class CMeterIn : public CLevelMeter {
public:
    CMeterIn(const CRect& size, CControlListener* listener, CBitmap* background);
    CView* newCopy() const override { return new CMeterIn(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CMeterIn") == 0 || CControl::isTypeOf(type);
    }
};

class CMeterOut : public CLevelMeter {
public:
    CMeterOut(const CRect& size, CControlListener* listener, CBitmap* background);
    CView* newCopy() const override { return new CMeterOut(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CMeterOut") == 0 || CControl::isTypeOf(type);
    }
};

class CMeterGR : public CControl {
public:
    CMeterGR(const CRect& size, CControlListener* listener);
    CMeterGR(const CMeterGR& other);
    ~CMeterGR() override;

    void setGains(std::uint32_t tick, float gainLeft, float gainRight);  // linear, at most 1
    void setZoom(float value);
    void reset();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CView* newCopy() const override { return new CMeterGR(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CMeterGR") == 0 || CControl::isTypeOf(type);
    }

    float displayedDb(int side) const { return sides_[side].displayedDb(); }

private:
    CBitmap* scale_;
    CBitmap* bar_;
    std::uint32_t previousTick_ = 0;
    std::uint32_t currentTick_ = 0;
    float currentDb_[2] = {0.0f, 0.0f};
    GainHoldRelease sides_[2];
    bool zoomed_ = false;
};

// A left click on a meter or readout: tell the listener (which resets every meter), redraw, consume.
CMouseEventResult notifyResetClick(CControl& control, const CButtonState& buttons);

}  // namespace zarpa
