// The editor's frame: the toolkit frame plus one modal view. While the modal view is set it receives
// every mouse event, wheel and key instead of the views under the pointer or the focus, the whole window
// is redrawn at every idle update, and it is drawn last, over everything (the info panel).
//
// Threading: user-interface thread only, like every frame operation except setDirty.
#pragma once

#include "toolkit/frame.h"

namespace zarpa {

class MyFrame : public CFrame {
public:
    MyFrame(const CRect& size, void* parentWindow, CEditorInterface* editor, int scalePercent = 100);
    ~MyFrame() override;

    // The frame does not take a reference: the modal view is one of its own views.
    void setModalView(CView* view);
    void clearModalView();  // also redraws the whole frame
    CView* getModalView() const { return modalView_; }

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    // A key the modal view does not use goes back to the host, never to a control hidden beneath it.
    bool onKeyDown(CKeyCode& key) override;
    bool onKeyUp(CKeyCode& key) override;
    void idle() override;

protected:
    void releaseEventTargets(CView* view) override;

private:
    CView* modalView_ = nullptr;
};

}  // namespace zarpa
