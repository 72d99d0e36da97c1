// The tooltip's timing, placement and drawing.
#include "toolkit/tooltip.h"

#include <algorithm>

#include "toolkit/draw_context.h"
#include "toolkit/font.h"
#include "toolkit/view.h"

namespace {

constexpr CCoord kPaddingX = 5;
constexpr CCoord kHeight = 16;
constexpr CCoord kBelowPointer = 20;  // clears the pointer's arrow
constexpr CCoord kAbovePointer = 6;
constexpr CCoord kRightOfPointer = 10;
constexpr CCoord kMargin = 2;
constexpr CColor kPaper{36, 37, 39, 255};
constexpr CColor kEdge{140, 146, 152, 255};
constexpr CColor kInk{235, 238, 242, 255};

}  // namespace

void CTooltip::track(CView* view, std::uint32_t now) {
    view_ = view;
    since_ = now;
    dismissed_ = false;
}

void CTooltip::pointerMoved(CView* view, const CPoint& where, std::uint32_t now) {
    if (view != view_) track(view, now);
    if (!shown_) pointer_ = where;  // the box stays where it appeared while the pointer wanders inside
}

void CTooltip::dismiss() { dismissed_ = true; }

void CTooltip::forgetView(const CView* view) {
    if (view && view == view_) track(nullptr, 0);
}

bool CTooltip::update(std::uint32_t now, const CRect& area) {
    const bool wanted = view_ && !dismissed_ && !view_->getTooltipText().empty() && now - since_ >= kDelayMs;
    const CRect oldBox = box_;
    if (wanted) {
        text_ = view_->getTooltipText();
        box_ = boxFor(text_, area);
    } else {
        text_.clear();
        box_ = CRect();
    }
    shown_ = wanted;
    return !(box_ == oldBox);
}

CRect CTooltip::boxFor(const std::string& text, const CRect& area) const {
    // A text wider than the window is cut at the window's edges (the box never leaves it).
    const CCoord width = std::min(kNormalFontSmaller->getStringWidth(text.c_str()) + 2 * kPaddingX,
                                  area.getWidth() - 2 * kMargin);
    CCoord left = pointer_.x + kRightOfPointer;
    CCoord top = pointer_.y + kBelowPointer;
    if (top + kHeight > area.bottom - kMargin) top = pointer_.y - kAbovePointer - kHeight;
    left = std::max(area.left + kMargin, std::min(left, area.right - kMargin - width));
    top = std::max(area.top + kMargin, top);
    return CRect(CPoint(left, top), width, kHeight);
}

void CTooltip::draw(CDrawContext* context) const {
    if (!shown_ || !context) return;
    context->setFillColor(kPaper);
    context->setFrameColor(kEdge);
    context->setLineWidth(1);
    context->drawRect(box_, kDrawFilledAndStroked);
    context->setFont(kNormalFontSmaller);
    context->setFontColor(kInk);
    context->drawString(text_.c_str(), box_, kCenterText);
}
