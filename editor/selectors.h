// The editor's own multi-state controls: the meter mode button, the three requantizer selectors, the
// blinking calibration button and the three-position transient-shape switch. Each draws one frame of its
// film strip and reports a user change to its listener (the editor) as a normalised value.
//
// Threading: user-interface thread only. The editor applies parameter changes from other threads in its
// idle pass, so the own fields below are plain.
#pragma once

#include <cstdint>

#include "toolkit/control.h"

namespace zarpa {

class EditorServices;

// Declares the type query and copy of a control class whose own fields are all copyable.
#define ZARPA_CONTROL_CLASS(Name)                                                  \
    CView* newCopy() const override { return new Name(*this); }                    \
    bool isTypeOf(const char* type) const override {                               \
        return std::strcmp(type, #Name) == 0 || CControl::isTypeOf(type);          \
    }

// Tag 9: shows the meter type (peak, K-system) and the K scale; a click in its top zone selects peak
// metering, in its bottom zone the K-system (advancing the scale when already there). It writes MeterType
// and Scale itself and changes its look only when the editor passes the new values back.
class CModeButton : public CControl {
public:
    CModeButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap,
                EditorServices* services);
    ZARPA_CONTROL_CLASS(CModeButton)

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    void setFlash(bool on);
    void setType(float value);   // MeterType: 0 peak, 1 K-system
    void setScale(float value);  // Scale: 0 K-12, 1 K-14, 2 K-20
    bool getFlash() const { return flash_; }
    int getType() const { return type_; }
    int getScale() const { return scale_; }

private:
    static constexpr CCoord kZoneHeight = 19;
    EditorServices* services_;
    bool flash_ = false;
    int type_ = 0;
    int scale_ = 1;
};

// A requantizer selector: a step that each left click advances (wrapping), drawn by a frame that also
// depends on whether Quantize is on.
class CRequantizerSelector : public CControl {
public:
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void setQuantize(float value);
    int getStep() const { return step_; }

protected:
    CRequantizerSelector(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap, int steps);
    void setStepValue(float value);
    virtual int frameOf(int step, bool quantize) const = 0;

private:
    int steps_;
    bool quantize_ = false;
    int step_ = 0;
};

// Tag 10: the word length 8, 16, 24 bits, dimmed while Quantize is off.
class CBits : public CRequantizerSelector {
public:
    CBits(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap);
    ZARPA_CONTROL_CLASS(CBits)
    void setBits(float value) { setStepValue(value); }

private:
    int frameOf(int step, bool quantize) const override { return 3 * quantize + step; }
};

// Tag 11: the noise-shaping curve; "off" looks the same with Quantize on or off.
class CNoiseShape : public CRequantizerSelector {
public:
    CNoiseShape(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap);
    ZARPA_CONTROL_CLASS(CNoiseShape)
    void setShape(float value) { setStepValue(value); }
    int getShape() const { return getStep(); }

private:
    int frameOf(int step, bool quantize) const override { return step + (quantize && step != 0 ? 3 : 0); }
};

// Tag 17: auto-black on or off, lit only while Quantize is on.
class CAutoBlack : public CRequantizerSelector {
public:
    CAutoBlack(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap);
    ZARPA_CONTROL_CLASS(CAutoBlack)
    void setState(float value) { setStepValue(value); }

private:
    int frameOf(int step, bool quantize) const override { return step == 0 ? 0 : (quantize ? 1 : 2); }
};

// Tag 12: off, left, l+r uncorrelated, right; an active calibration blinks with a 512 ms period,
// highlighted first, counted from the last click with the ticks the editor delivers.
class CCalibButton : public CControl {
public:
    CCalibButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap);
    ZARPA_CONTROL_CLASS(CCalibButton)

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void tick(std::uint32_t now);

private:
    std::uint32_t lastTick_ = 0;
    std::uint32_t clickTick_ = 0;
};

// Tag 4: three hot zones select the transient shape hard, med or soft.
class CSpeedSwitch : public CControl {
public:
    CSpeedSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* bitmap);
    ZARPA_CONTROL_CLASS(CSpeedSwitch)

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
};

}  // namespace zarpa
