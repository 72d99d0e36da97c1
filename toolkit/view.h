// CView: a rectangle of the window that draws itself and may take mouse and key events.
#pragma once

#include <atomic>
#include <string>

#include "toolkit/base_object.h"
#include "toolkit/geometry.h"
#include "toolkit/keys.h"

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;

// Every coordinate is in frame coordinates (the whole window, origin at its top left corner), for the
// views of nested containers too.
//
// Threading: the dirty flag may be set from any thread (a parameter change from the audio thread
// marks its control dirty); everything else runs on the user-interface thread.
class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);
    CView(const CView& other);  // the same size and background; not attached to any container
    ~CView() override;

    // Draws the whole view. The default draws the background bitmap, if any, from offset (0, 0).
    virtual void draw(CDrawContext* context);
    // Draws the part of the view inside updateRect; the context is already clipped to it.
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);

    // Mouse events; the defaults do not handle them.
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
    // Wheel by distance notches (positive away from the user); true when used.
    virtual bool onWheel(const CPoint& where, float distance, const CButtonState& buttons);
    // Keys; true when used. A view receives keys while it has the focus or lies under the pointer.
    virtual bool onKeyDown(CKeyCode& key);
    virtual bool onKeyUp(CKeyCode& key);
    // Called by the frame when this view gains or loses the keyboard focus.
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    virtual bool isDirty() const { return dirty_.load(std::memory_order_relaxed); }
    virtual void setDirty(bool state = true) { dirty_.store(state, std::memory_order_relaxed); }
    void invalid() { setDirty(true); }  // redrawn at the frame's next idle
    void invalidRect(const CRect& rect);  // user-interface thread: redraw this area of the frame

    const CRect& getViewSize() const { return size; }
    // Moves or resizes the view; the mouseable area follows. An empty rectangle is never drawn or hit.
    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    CCoord getWidth() const { return size.getWidth(); }
    CCoord getHeight() const { return size.getHeight(); }
    const CRect& getMouseableArea() const { return mouseableArea; }
    void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
    virtual bool hitTest(const CPoint& where, const CButtonState& buttons) const;

    bool isVisible() const { return visible_; }
    void setVisible(bool state);
    bool getMouseEnabled() const { return mouseEnabled_; }
    void setMouseEnabled(bool state) { mouseEnabled_ = state; }

    // One line of hover help, shown by the frame when the pointer rests over the view (empty: none).
    void setTooltipText(std::string text) { tooltip_ = std::move(text); }
    const std::string& getTooltipText() const { return tooltip_; }

    // The view keeps its own reference to the bitmap.
    void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return pBackground; }

    CFrame* getFrame() const { return parentFrame_; }
    CViewContainer* getParentView() const { return parentView_; }
    bool isAttached() const { return parentView_ != nullptr; }
    // Called when the view is added to or removed from a container.
    virtual bool attached(CViewContainer* parent);
    virtual bool removed(CViewContainer* parent);

    // A new unattached copy of the view, for the classes that support copying (nullptr otherwise).
    virtual CView* newCopy() const { return nullptr; }

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CView") == 0 || CBaseObject::isTypeOf(type);
    }

protected:
    CRect size;
    CRect mouseableArea;
    CBitmap* pBackground = nullptr;

private:
    std::atomic<bool> dirty_{true};
    bool visible_ = true;
    bool mouseEnabled_ = true;
    CViewContainer* parentView_ = nullptr;
    CFrame* parentFrame_ = nullptr;
    std::string tooltip_;
};
