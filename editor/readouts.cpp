// Peak and gain-reduction readouts.
#include "editor/readouts.h"

#include <cmath>

#include "editor/meters.h"
#include "editor/metering_rules.h"
#include "layout/window_layout.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace zarpa {

namespace {

constexpr CColor kBoxColor{79, 79, 79, 255};
constexpr CColor kClipBoxColor{229, 53, 5, 255};

// The two value boxes, relative to the readout's left L and bottom B.
constexpr CCoord kBoxLeft[2] = {1, 61};
constexpr CCoord kBoxWidth = 31;
constexpr CCoord kTextFieldX[2] = {2, 62};

CRect valueBox(const CRect& r, int side) {
    return CRect(r.left + kBoxLeft[side], r.bottom - 10, r.left + kBoxLeft[side] + kBoxWidth, r.bottom - 1);
}
CPoint valueTextPoint(const CRect& r, int side, const char* text) {
    return CPoint(readoutTextX(r.left + kTextFieldX[side], text), r.bottom - 2);
}

// The readout shows the window background behind its boxes.
void drawBackgroundUnder(CDrawContext* context, const CControl& view) {
    if (CBitmap* background = view.getBackground())
        background->draw(context, view.getViewSize(), view.getViewSize().getTopLeft());
}

float linearToDb(float amplitude) { return static_cast<float>(20.0 * std::log10(static_cast<double>(amplitude))); }

}  // namespace

// ---------------------------------------------------------------------------------------------------------

CMeterLCD::CMeterLCD(const CRect& size, CControlListener* listener, CBitmap* background, CBitmap* font,
                     CBitmap* secondFont)
    : CControl(size, listener, window::kMeterTag, background), CTextPrinter2Color(font, secondFont) {}

void CMeterLCD::setPeaks(float peakLeft, float peakRight) {
    const float peaks[2] = {peakLeft, peakRight};
    for (int side = 0; side < 2; ++side) {
        const float db = linearToDb(peaks[side]);
        if (db > maximumDb_[side]) maximumDb_[side] = db;
    }
    setDirty(true);
}

void CMeterLCD::setMode(int mode) {
    mode_ = mode;
    setDirty(true);
}

void CMeterLCD::reset() {
    maximumDb_[0] = maximumDb_[1] = kStartDb;
    setDirty(true);
}

void CMeterLCD::draw(CDrawContext* context) {
    const CRect& r = getViewSize();
    drawBackgroundUnder(context, *this);
    context->setFillColor(kBoxColor);

    const CPoint label(r.left + 35, r.bottom - 2);
    if (mode_ == kPeakMode) {
        print(context, label, "dBFS", false, false);
    } else {
        print(context, label, "    ", false, false);
        print(context, CPoint(r.left + 38, r.bottom - 2), "dBr", false, false);
    }

    for (int side = 0; side < 2; ++side) {
        char text[32];
        peakReadoutText(maximumDb_[side], readoutOffsetDb(mode_), text, sizeof text);
        const bool clipped = maximumDb_[side] > 0.0f;  // a sample peak above full scale, in every mode
        context->setFillColor(clipped ? kClipBoxColor : kBoxColor);
        context->fillRect(valueBox(r, side));
        context->setFillColor(kBoxColor);
        print(context, valueTextPoint(r, side, text), text, false, true, clipped);
    }
    setDirty(false);
}

CMouseEventResult CMeterLCD::onMouseDown(CPoint&, const CButtonState& buttons) {
    const CMouseEventResult result = notifyResetClick(*this, buttons);
    if (result != kMouseEventNotHandled) maximumDb_[0] = maximumDb_[1] = kStartDb;
    return result;
}

// ---------------------------------------------------------------------------------------------------------

CMeterLCDGR::CMeterLCDGR(const CRect& size, CControlListener* listener, CBitmap* background, CBitmap* font)
    : CControl(size, listener, window::kMeterTag, background), CTextPrinter(font) {}

void CMeterLCDGR::setGains(float gainLeft, float gainRight) {
    const float gains[2] = {gainLeft, gainRight};
    for (int side = 0; side < 2; ++side) {
        const float db = linearToDb(gains[side]);
        if (db < minimumDb_[side]) minimumDb_[side] = db;
    }
    setDirty(true);
}

void CMeterLCDGR::reset() {
    minimumDb_[0] = minimumDb_[1] = 0.0f;
    setDirty(true);
}

void CMeterLCDGR::draw(CDrawContext* context) {
    const CRect& r = getViewSize();
    drawBackgroundUnder(context, *this);
    context->setFillColor(kBoxColor);
    print(context, CPoint(r.left + 41, r.bottom - 2), "dB", false, false);
    for (int side = 0; side < 2; ++side) {
        char text[32];
        gainReadoutText(minimumDb_[side], text, sizeof text);
        context->fillRect(valueBox(r, side));
        print(context, valueTextPoint(r, side, text), text, false, true);
    }
    setDirty(false);
}

CMouseEventResult CMeterLCDGR::onMouseDown(CPoint&, const CButtonState& buttons) {
    const CMouseEventResult result = notifyResetClick(*this, buttons);
    if (result != kMouseEventNotHandled) minimumDb_[0] = minimumDb_[1] = 0.0f;
    return result;
}

}  // namespace zarpa
