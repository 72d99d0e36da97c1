// CView: geometry, background bitmap, attachment to a container, and the do-nothing event defaults.
#include "toolkit/view.h"

#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::CView(const CView& other)
    : CBaseObject(other),
      size(other.size),
      mouseableArea(other.mouseableArea),
      pBackground(other.pBackground),
      visible_(other.visible_),
      mouseEnabled_(other.mouseEnabled_),
      tooltip_(other.tooltip_) {
    if (pBackground) pBackground->remember();
}

CView::~CView() {
    if (pBackground) pBackground->forget();
}

void CView::draw(CDrawContext* context) {
    if (pBackground) pBackground->draw(context, size);
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&) { draw(context); }

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseEntered(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseExited(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
bool CView::onWheel(const CPoint&, float, const CButtonState&) { return false; }
bool CView::onKeyDown(CKeyCode&) { return false; }
bool CView::onKeyUp(CKeyCode&) { return false; }

void CView::invalidRect(const CRect& rect) {
    if (parentFrame_) parentFrame_->invalidateArea(rect);
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
    if (invalidate) invalidRect(size);  // what the view covered so far shows what lies beneath
    size = rect;
    mouseableArea = rect;
    if (invalidate) setDirty(true);
}

bool CView::hitTest(const CPoint& where, const CButtonState&) const {
    return !size.isEmpty() && mouseableArea.pointInside(where);
}

void CView::setVisible(bool state) {
    if (visible_ == state) return;
    visible_ = state;
    invalidRect(size);
    setDirty(state);
}

void CView::setBackground(CBitmap* background) {
    if (background == pBackground) return;
    if (background) background->remember();
    if (pBackground) pBackground->forget();
    pBackground = background;
    setDirty(true);
}

bool CView::attached(CViewContainer* parent) {
    parentView_ = parent;
    parentFrame_ = nullptr;
    if (parent) parentFrame_ = parent->isTypeOf("CFrame") ? static_cast<CFrame*>(parent) : parent->getFrame();
    setDirty(true);
    return true;
}

bool CView::removed(CViewContainer*) {
    if (parentFrame_) parentFrame_->invalidateArea(size);
    parentView_ = nullptr;
    parentFrame_ = nullptr;
    return true;
}
