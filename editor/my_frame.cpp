// The editor's frame with its modal view.
#include "editor/my_frame.h"

namespace zarpa {

MyFrame::MyFrame(const CRect& size, void* parentWindow, CEditorInterface* editor, int scalePercent)
    : CFrame(size, parentWindow, editor, scalePercent) {}

MyFrame::~MyFrame() { modalView_ = nullptr; }

void MyFrame::setModalView(CView* view) { modalView_ = view; }

void MyFrame::clearModalView() {
    modalView_ = nullptr;
    setDirty(true);
}

void MyFrame::draw(CDrawContext* context) {
    CFrame::draw(context);
    if (modalView_) modalView_->draw(context);
}

void MyFrame::drawRect(CDrawContext* context, const CRect& updateRect) {
    CFrame::drawRect(context, updateRect);
    if (modalView_) modalView_->draw(context);
}

CMouseEventResult MyFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (CView* modal = modalView_) return modal->onMouseDown(where, buttons);
    return CFrame::onMouseDown(where, buttons);
}

CMouseEventResult MyFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    if (CView* modal = modalView_) return modal->onMouseUp(where, buttons);
    return CFrame::onMouseUp(where, buttons);
}

CMouseEventResult MyFrame::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (CView* modal = modalView_) return modal->onMouseMoved(where, buttons);
    return CFrame::onMouseMoved(where, buttons);
}

bool MyFrame::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    if (CView* modal = modalView_) {
        modal->onWheel(where, distance, buttons);
        return true;  // nothing beneath the panel moves
    }
    return CFrame::onWheel(where, distance, buttons);
}

bool MyFrame::onKeyDown(CKeyCode& key) {
    if (CView* modal = modalView_) return modal->onKeyDown(key);
    return CFrame::onKeyDown(key);
}

bool MyFrame::onKeyUp(CKeyCode& key) {
    if (CView* modal = modalView_) return modal->onKeyUp(key);
    return CFrame::onKeyUp(key);
}

void MyFrame::idle() {
    if (modalView_) setDirty(true);
    CFrame::idle();
}

void MyFrame::releaseEventTargets(CView* view) {
    CFrame::releaseEventTargets(view);
    if (view == modalView_) modalView_ = nullptr;
}

}  // namespace zarpa
