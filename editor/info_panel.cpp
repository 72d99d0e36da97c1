// The info panel.
#include "editor/info_panel.h"

#include <cstdio>
#include <cstring>

#include "editor/control_values.h"
#include "editor/my_frame.h"
#include "toolkit/draw_context.h"

namespace zarpa {

namespace {

constexpr CRect kPanelRect{43, 294, 481, 430};
constexpr CRect kTitleBar{54, 301, 109, 310};
constexpr CColor kPanelColor{213, 236, 246, 255};
constexpr CColor kInkColor{79, 79, 79, 255};
constexpr CCoord kFirstBaseline = 309;
constexpr CCoord kRowPitch = 14;
constexpr CCoord kTextColumn = 55;
constexpr CCoord kSecondColumn = 250;
constexpr CCoord kLatencyEndX = 470;  // the latency ends at x 469

struct PanelText {
    int row;
    CCoord x;
    const char* text;
};

constexpr PanelText kTexts[] = {
    {0, 200, "Brickwall Limiting, Metering and Requantizing"},
    {1, kTextColumn, "Version:"},
    {1, 440, "1.3.0"},
    {3, kTextColumn, "Current process latency (samples):"},
    {4, kTextColumn, "Design and signal processing:"},
    {4, kSecondColumn, "OKA tonelab"},
    {5, kTextColumn, "Metering:"},
    {5, kSecondColumn, "peak, K-12, K-14, K-20"},
    {6, kTextColumn, "Requantizing:"},
    {6, kSecondColumn, "8, 16, 24 bit, noise shaping"},
    {7, kTextColumn, "Click anywhere to close this panel."},
    {8, 165, "VST Plug-In Technology by Steinberg"},
};

CPoint rowPoint(CCoord x, int row) { return CPoint(x, kFirstBaseline + kRowPitch * row); }

}  // namespace

CInfo::CInfo(const CRect& size, CBitmap* background, CBitmap* font)
    : CControl(size, nullptr, 0, background), CTextPrinter(font), hotArea_(size) {}

void CInfo::setLatency(int samples) {
    latency_ = samples;
    setDirty(true);
}

void CInfo::draw(CDrawContext* context) {
    if (open_) drawPanel(context);
    setDirty(false);
}

void CInfo::drawPanel(CDrawContext* context) const {
    context->setFillColor(kPanelColor);
    context->setFrameColor(kInkColor);
    context->setLineWidth(3);
    context->drawRect(kPanelRect, kDrawFilledAndStroked);
    context->setFillColor(kInkColor);
    context->fillRect(kTitleBar);

    print(context, rowPoint(kTextColumn, 0), "OKA Zarpa", false, true);
    for (const PanelText& t : kTexts) print(context, rowPoint(t.x, t.row), t.text, false, false);
    char latency[16];
    std::snprintf(latency, sizeof latency, "%d", latency_);
    const auto digits = static_cast<CCoord>(std::strlen(latency));
    print(context, rowPoint(kLatencyEndX - kGlyphPitch * digits, 3), latency, false, false);
}

CMouseEventResult CInfo::onMouseDown(CPoint&, const CButtonState& buttons) {
    if ((buttons & kRButton) && !open_ && rightClick_) {
        rightClick_();
        return kConsumed;
    }
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    auto* frame = dynamic_cast<MyFrame*>(getFrame());
    if (!open_) {
        setViewSize(CRect(0, 0, 0, 0));
        open_ = true;
        if (frame) frame->setModalView(this);
    } else {
        open_ = false;
        setViewSize(hotArea_);
        if (frame) frame->clearModalView();
    }
    if (frame) frame->setDirty(true);
    return kConsumed;
}

}  // namespace zarpa
