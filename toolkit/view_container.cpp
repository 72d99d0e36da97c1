// CViewContainer: child ownership, drawing in z-order, and mouse routing with hover tracking.
#include "toolkit/view_container.h"

#include <algorithm>

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame.h"

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() { removeAll(); }

bool CViewContainer::addView(CView* view) {
    if (!view || view == this || view->isAttached()) return false;
    views_.push_back(view);
    view->attached(this);
    return true;
}

bool CViewContainer::removeView(CView* view, bool withForget) {
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end()) return false;
    releaseEventTargets(view);
    views_.erase(it);
    view->removed(this);
    if (withForget) view->forget();
    return true;
}

void CViewContainer::removeAll(bool withForget) {
    while (!views_.empty()) removeView(views_.back(), withForget);
}

bool CViewContainer::isChild(const CView* view) const {
    return std::find(views_.begin(), views_.end(), view) != views_.end();
}

CView* CViewContainer::getView(int index) const {
    return index >= 0 && index < getNbViews() ? views_[static_cast<std::size_t>(index)] : nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const {
    for (auto it = views_.rbegin(); it != views_.rend(); ++it) {
        CView* view = *it;
        if (!view->isVisible() || !view->getMouseEnabled() || !view->hitTest(where, 0)) continue;
        if (deep && view->isTypeOf("CViewContainer")) {
            if (CView* inner = static_cast<CViewContainer*>(view)->getViewAt(where, true)) return inner;
        }
        return view;
    }
    return nullptr;
}

void CViewContainer::forEachView(const std::function<void(CView*)>& f) const {
    for (CView* view : views_) {
        f(view);
        if (view->isTypeOf("CViewContainer")) static_cast<CViewContainer*>(view)->forEachView(f);
    }
}

void CViewContainer::draw(CDrawContext* context) { drawRect(context, size); }

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    const CRect oldClip = context->getClipRect();
    CRect clip = updateRect;
    clip.bound(size);
    clip.bound(oldClip);
    if (clip.isEmpty()) return;
    context->setClipRect(clip);
    drawBackgroundRect(context, clip);
    for (CView* view : views_) {
        if (!view->isVisible() || !view->getViewSize().rectOverlap(clip)) continue;
        view->drawRect(context, clip);
        context->setClipRect(clip);  // a view may have changed it
    }
    context->setClipRect(oldClip);
    CView::setDirty(false);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect) {
    CRect area = rect;
    area.bound(size);
    if (pBackground && pBackground->isLoaded()) {
        // The bitmap covers the container from the background offset on; rect is a part of it.
        const CPoint offset(backgroundOffset_.x + area.left - size.left, backgroundOffset_.y + area.top - size.top);
        pBackground->draw(context, area, offset);
        return;
    }
    context->setFillColor(backgroundColor_);
    context->fillRect(area);
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
    mouseDownView_ = nullptr;
    // Copied: a handler may add or remove views.
    const std::vector<CView*> candidates(views_.rbegin(), views_.rend());
    for (CView* view : candidates) {
        if (!isChild(view) || !view->isVisible() || !view->getMouseEnabled() || !view->hitTest(where, buttons))
            continue;
        view->remember();
        const CMouseEventResult result = view->onMouseDown(where, buttons);
        if (result == kMouseEventHandled && isChild(view)) mouseDownView_ = view;
        view->forget();
        if (result != kMouseEventNotHandled) return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons) {
    CView* view = mouseDownView_;
    mouseDownView_ = nullptr;
    CMouseEventResult result = kMouseEventNotHandled;
    if (view) {
        view->remember();
        result = view->onMouseUp(where, buttons);
        view->forget();
    }
    updateHover(where, buttons);
    return result;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (CView* view = mouseDownView_) {
        view->remember();
        const CMouseEventResult result = view->onMouseMoved(where, buttons);
        view->forget();
        return result;
    }
    updateHover(where, buttons);
    if (CView* view = hoverView_) {
        view->remember();
        const CMouseEventResult result = view->onMouseMoved(where, buttons);
        view->forget();
        return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseExited(CPoint& where, const CButtonState& buttons) {
    if (CView* view = hoverView_) {
        hoverView_ = nullptr;
        view->onMouseExited(where, buttons);
    }
    return kMouseEventHandled;
}

void CViewContainer::updateHover(CPoint& where, const CButtonState& buttons) {
    CView* now = getViewAt(where);
    if (now == hoverView_) return;
    if (CView* old = hoverView_) {
        hoverView_ = nullptr;
        old->onMouseExited(where, buttons);
    }
    if (now && isChild(now)) {
        hoverView_ = now;
        now->onMouseEntered(where, buttons);
    }
}

bool CViewContainer::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    const std::vector<CView*> candidates(views_.rbegin(), views_.rend());
    for (CView* view : candidates) {
        if (!isChild(view) || !view->isVisible() || !view->getMouseEnabled() || !view->hitTest(where, buttons))
            continue;
        if (view->onWheel(where, distance, buttons)) return true;
    }
    return false;
}

bool CViewContainer::attached(CViewContainer* parent) {
    CView::attached(parent);
    for (CView* view : views_) view->attached(this);  // the children learn their frame
    return true;
}

bool CViewContainer::removed(CViewContainer* parent) {
    for (CView* view : views_) releaseEventTargets(view);
    CView::removed(parent);
    for (CView* view : views_) view->attached(this);  // no frame any more
    return true;
}

void CViewContainer::releaseEventTargets(CView* view) {
    auto inside = [view](const CView* target) {
        for (const CView* v = target; v; v = v->getParentView())
            if (v == view) return true;
        return false;
    };
    if (mouseDownView_ && inside(mouseDownView_)) mouseDownView_ = nullptr;
    if (hoverView_ && inside(hoverView_)) hoverView_ = nullptr;
    // The frame keeps its own references (focus, popup) to views deep in the tree.
    if (CFrame* frame = getFrame(); frame && frame != this) static_cast<CViewContainer*>(frame)->releaseEventTargets(view);
}
