// The film-strip knob of the six continuous parameters: 101 frames, a linear drag of 400 px for the
// whole range (1000 px while Shift is held, switching without a jump mid-drag), wheel steps of 0.01
// (0.001 with Shift), arrow keys by the knob's own increment, and a Control-click back to its default.
// The host's knob mode does not apply. A drag is one edit gesture for the host.
//
// Threading: user-interface thread only (the value itself is the toolkit's atomic control value).
#pragma once

#include "toolkit/knob.h"

namespace zarpa {

class CMyKnob : public CAnimKnob {
public:
    static constexpr int kFrameCount = 101;

    CMyKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord frameHeight, CBitmap* bitmap);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    CView* newCopy() const override { return new CMyKnob(*this); }

private:
    static constexpr float kRangePx = 400.0f;
    static constexpr float kFineRangePx = 1000.0f;
    float factorFor(CButtonState buttons) const;
    float limited(float value) const;

    CPoint start_;
    CPoint last_;
    float startValue_ = 0.0f;
    float factor_ = 0.0f;
    CButtonState dragButtons_ = 0;
};

}  // namespace zarpa
