// CViewContainer: a view that owns child views, draws them over its background and routes events to them.
#pragma once

#include <functional>
#include <vector>

#include "toolkit/view.h"

// Children are drawn in the order they were added (later ones on top) and are hit from the top down:
// a mouse-down goes to the topmost view under the pointer; when that view does not handle it, the
// next one below is asked. The container owns its children: adding takes over the caller's
// reference, removing drops it. User-interface thread only.
class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    bool addView(CView* view);
    bool removeView(CView* view, bool withForget = true);
    void removeAll(bool withForget = true);
    bool isChild(const CView* view) const;
    int getNbViews() const { return static_cast<int>(views_.size()); }
    CView* getView(int index) const;
    // The topmost visible, mouse-enabled child that the point hits (searching nested containers when deep).
    CView* getViewAt(const CPoint& where, bool deep = false) const;
    // Calls f for every descendant, depth first, in drawing order.
    void forEachView(const std::function<void(CView*)>& f) const;

    void setBackgroundColor(const CColor& color) { backgroundColor_ = color; }
    const CColor& getBackgroundColor() const { return backgroundColor_; }
    // The background bitmap is drawn from this offset (default (0, 0)).
    void setBackgroundOffset(const CPoint& offset) { backgroundOffset_ = offset; }
    const CPoint& getBackgroundOffset() const { return backgroundOffset_; }

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    // The background (bitmap, or colour without one) inside rect.
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    bool attached(CViewContainer* parent) override;
    bool removed(CViewContainer* parent) override;

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CViewContainer") == 0 || CView::isTypeOf(type);
    }

protected:
    // A view leaves the tree: forget every event reference to it or to its descendants.
    virtual void releaseEventTargets(CView* view);

private:
    void updateHover(CPoint& where, const CButtonState& buttons);

    std::vector<CView*> views_;
    CView* mouseDownView_ = nullptr;  // the view that took the last mouse-down and wants moves and the release
    CView* hoverView_ = nullptr;      // the view under the pointer, told when the pointer enters and leaves
    CColor backgroundColor_ = kBlackCColor;
    CPoint backgroundOffset_;
};
