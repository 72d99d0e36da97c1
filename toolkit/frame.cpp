// CFrame: redraw of dirty views into the framebuffer, event routing, focus, popups, timers and the
// native window's life.
#include "toolkit/frame.h"

#include <chrono>

#include "toolkit/editor_interface.h"
#include "toolkit/file_selector.h"

namespace {

// The editor's user-interface lock for a frame operation that may be called from outside an editor call
// (tests, a derived editor); a no-op for a frame without an editor.
std::unique_lock<platform::UiLock> uiTurn(const std::shared_ptr<platform::UiLock>& lock) {
    return lock ? std::unique_lock<platform::UiLock>(*lock) : std::unique_lock<platform::UiLock>();
}

// The same, only tried: for idle and timer ticks, which have nothing to do while the other thread runs
// the editor (the caller tells that case by a lock it does not own).
std::unique_lock<platform::UiLock> tryUiTurn(const std::shared_ptr<platform::UiLock>& lock) {
    return lock ? std::unique_lock<platform::UiLock>(*lock, std::try_to_lock) : std::unique_lock<platform::UiLock>();
}

std::uint32_t steadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

CFrame::CFrame(const CRect& size, void* parentWindow, CEditorInterface* editor, int scalePercent)
    : CViewContainer(size),
      editor_(editor),
      uiLock_(editor ? editor->getUiLock() : nullptr),
      backBuffer_(size.right, size.bottom, kBlackCColor, scalePercent),
      clock_(steadyMilliseconds) {
    if (parentWindow && !size.isEmpty())
        window_ = toolkit::PlatformWindow::create(parentWindow, backBuffer_.getWidth(), backBuffer_.getHeight(),
                                                  backBuffer_.getPixels(), *this, uiLock_);
}

// The window reports device pixels; views live in the 100 % window's.
CPoint CFrame::toLogical(CPoint p) const {
    const int percent = getScalePercent();
    if (percent == 100) return p;
    const auto back = [percent](CCoord v) { return v >= 0 ? v * 100 / percent : -((-v * 100 + percent - 1) / percent); };
    return CPoint(back(p.x), back(p.y));
}

CFrame::~CFrame() {
    close();
    window_.reset();
}

bool CFrame::isOpen() const { return !closed_ && window_ && window_->isAlive(); }

void* CFrame::getSystemWindow() const { return window_ && window_->isAlive() ? window_->nativeHandle() : nullptr; }

void CFrame::close() {
    if (closed_) return;
    closed_ = true;
    if (editor_) editor_->frameClosing();
    editor_ = nullptr;  // a handler still unwinding must not reach a closing editor
    if (window_)
        for (const auto& timer : timers_) window_->stopTimer(timer.first);
    timers_.clear();
    focusView_ = nullptr;  // an edit in progress is dropped, not committed into a closing editor
    popup_ = nullptr;
    if (CNewFileSelector* dialog = fileDialog_) {
        fileDialog_ = nullptr;
        dialog->abandon();
    }
    removeAll();
    retireWindowWhenUnused();
}

void CFrame::retireWindowWhenUnused() {
    if (closed_ && eventDepth_ == 0 && pollDepth_ == 0) window_.reset();
}

template <typename F>
void CFrame::dispatchPlatformEvent(F&& handler) {
    remember();
    ++eventDepth_;
    handler();
    --eventDepth_;
    retireWindowWhenUnused();
    forget();  // may delete the frame: nothing may follow
}

void CFrame::pollWindow(bool input) {
    if (!window_ || closed_) return;
    remember();
    ++pollDepth_;
    window_->pollEvents(input);
    --pollDepth_;
    retireWindowWhenUnused();
    forget();
}

void CFrame::idle() {
    const std::shared_ptr<platform::UiLock> lock = uiLock_;  // outlives the frame if idle ends it
    const auto turn = tryUiTurn(lock);
    if (lock && !turn) return;  // the other thread is running the editor
    if (inIdle_ || closed_) return;
    inIdle_ = true;
    remember();
    pollWindow(true);
    deliverFileDialogAnswer();
    updateTooltip();
    redrawDirtyViews();
    inIdle_ = false;
    forget();
}

bool CFrame::reserveFileDialog(CNewFileSelector* dialog) {
    if (closed_ || fileDialog_) return false;
    fileDialog_ = dialog;
    return true;
}

void CFrame::releaseFileDialog(const CNewFileSelector* dialog) {
    if (fileDialog_ == dialog) fileDialog_ = nullptr;
}

// The place is free again before the answer is acted on, so the answer may put up the next dialog.
void CFrame::deliverFileDialogAnswer() {
    CNewFileSelector* dialog = fileDialog_;
    if (closed_ || !dialog || !dialog->answered()) return;
    fileDialog_ = nullptr;
    dispatchPlatformEvent([dialog] { dialog->deliver(); });
}

void CFrame::setClock(std::function<std::uint32_t()> clock) { clock_ = clock ? std::move(clock) : steadyMilliseconds; }

// The box is drawn over the views after each redraw; where it was, the views beneath are drawn again.
void CFrame::updateTooltip() {
    if (popup_ || isFileDialogOpen()) tooltip_.dismiss();
    const CRect old = tooltip_.getBox();
    if (!tooltip_.update(clock_(), size)) return;
    if (!old.isEmpty()) invalidateArea(old);
    tooltipStale_ = true;
}

void CFrame::invalidateArea(const CRect& rect) {
    CRect area = rect;
    area.bound(size);
    if (!area.isEmpty()) invalidAreas_.push_back(area);
}

// The dirty views and the invalidated areas, merged where they overlap. Dirty flags are cleared before
// drawing, so a change that arrives from another thread while drawing is drawn at the next idle.
void CFrame::collectDirtyAreas(std::vector<CRect>& areas) {
    constexpr std::size_t kMaxAreas = 16;  // beyond this, one bounding rectangle is cheaper to draw
    auto add = [&areas](CRect r) {
        for (bool merged = true; merged;) {
            merged = false;
            for (auto it = areas.begin(); it != areas.end(); ++it) {
                if (it->rectOverlap(r)) {
                    r.unite(*it);
                    areas.erase(it);
                    merged = true;
                    break;
                }
            }
        }
        areas.push_back(r);
    };
    forEachView([&](CView* view) {
        if (!view->isDirty()) return;
        view->setDirty(false);
        CRect r = view->getViewSize();
        r.bound(size);
        if (view->isVisible() && !r.isEmpty()) add(r);
    });
    for (const CRect& r : invalidAreas_) add(r);
    invalidAreas_.clear();
    if (areas.size() > kMaxAreas) {
        CRect all;
        for (const CRect& r : areas) all.unite(r);
        areas.assign(1, all);
    }
}

void CFrame::redrawDirtyViews() {
    if (closed_) return;
    CRect shown;
    if (allDirty_.exchange(false, std::memory_order_relaxed)) {
        forEachView([](CView* view) { view->setDirty(false); });
        invalidAreas_.clear();
        backBuffer_.resetClipRect();
        draw(&backBuffer_);
        shown = size;
    } else {
        std::vector<CRect> areas;
        collectDirtyAreas(areas);
        for (const CRect& area : areas) {
            backBuffer_.resetClipRect();
            drawRect(&backBuffer_, area);
            shown.unite(area);
        }
    }
    backBuffer_.resetClipRect();
    if (tooltip_.isShown() && (tooltipStale_ || shown.rectOverlap(tooltip_.getBox()))) {
        tooltip_.draw(&backBuffer_);
        shown.unite(tooltip_.getBox());
    }
    tooltipStale_ = false;
    if (!shown.isEmpty() && window_ && window_->isAlive()) window_->present(backBuffer_.toDevice(shown));
}

// Calls f on a view, keeping it alive through the call (a handler may remove it).
template <typename F>
static void withView(CView* view, F&& f) {
    view->remember();
    f(view);
    view->forget();
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
    lastMousePosition_ = where;
    tooltip_.dismiss();
    if (popup_) {
        withView(popup_, [&](CView* popup) { popup->onMouseDown(where, buttons); });
        return kMouseEventHandled;
    }
    if (focusView_ && !focusView_->getViewSize().pointInside(where)) setFocusView(nullptr);
    return CViewContainer::onMouseDown(where, buttons);
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    lastMousePosition_ = where;
    if (popup_) {
        withView(popup_, [&](CView* popup) { popup->onMouseUp(where, buttons); });
        return kMouseEventHandled;
    }
    return CViewContainer::onMouseUp(where, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    lastMousePosition_ = where;
    if (popup_) {
        withView(popup_, [&](CView* popup) { popup->onMouseMoved(where, buttons); });
        return kMouseEventHandled;
    }
    if (buttons & kMouseButtons)
        tooltip_.dismiss();  // a drag
    else
        tooltip_.pointerMoved(getViewAt(where, true), where, clock_());
    return CViewContainer::onMouseMoved(where, buttons);
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons) {
    lastMousePosition_ = CPoint(-1, -1);
    tooltip_.pointerLeft();
    return CViewContainer::onMouseExited(where, buttons);
}

bool CFrame::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    lastMousePosition_ = where;
    tooltip_.dismiss();
    if (popup_) return true;  // the list does not scroll; the views below must not move either
    return CViewContainer::onWheel(where, distance, buttons);
}

CView* CFrame::keyTarget() const {
    if (popup_) return popup_;
    if (focusView_) return focusView_;
    return getViewAt(lastMousePosition_, true);
}

bool CFrame::onKeyDown(CKeyCode& key) {
    tooltip_.dismiss();
    bool used = false;
    if (CView* target = keyTarget()) withView(target, [&](CView* view) { used = view->onKeyDown(key); });
    return used;
}

bool CFrame::onKeyUp(CKeyCode& key) {
    bool used = false;
    if (CView* target = keyTarget()) withView(target, [&](CView* view) { used = view->onKeyUp(key); });
    return used;
}

void CFrame::setFocusView(CView* view) {
    if (view == focusView_ || closed_) return;
    CView* old = focusView_;
    focusView_ = view;
    if (old) withView(old, [](CView* view) { view->looseFocus(); });
    if (view && view == focusView_) view->takeFocus();
    if (focusView_ && window_) window_->setKeyboardFocus(true);
    else releaseKeyboardIfUnneeded();
}

void CFrame::openPopup(CView* popup) {
    if (!popup || closed_) {
        if (popup) popup->forget();
        return;
    }
    closePopup();
    if (!addView(popup)) {
        popup->forget();
        return;
    }
    popup_ = popup;
    if (window_) window_->setKeyboardFocus(true);
}

void CFrame::closePopup() {
    CView* popup = popup_;
    if (!popup) return;
    popup_ = nullptr;
    removeView(popup);
    releaseKeyboardIfUnneeded();
}

void CFrame::releaseEventTargets(CView* view) {
    CViewContainer::releaseEventTargets(view);
    auto inside = [view](const CView* target) {
        for (const CView* v = target; v; v = v->getParentView())
            if (v == view) return true;
        return false;
    };
    if (focusView_ && inside(focusView_)) focusView_ = nullptr;
    if (popup_ && inside(popup_)) popup_ = nullptr;
    if (inside(tooltip_.getView())) tooltip_.forgetView(tooltip_.getView());
}

void CFrame::beginEdit(std::int32_t tag) {
    if (editor_) editor_->beginEdit(tag);
}

void CFrame::endEdit(std::int32_t tag) {
    if (editor_) editor_->endEdit(tag);
}

std::int32_t CFrame::getKnobMode() const { return editor_ ? editor_->getKnobMode() : kCircularMode; }

int CFrame::startTimer(std::uint32_t intervalMs, std::function<void()> tick) {
    auto turn = uiTurn(uiLock_);
    if (closed_ || !tick) return 0;
    const int handle = nextTimer_++;
    timers_[handle] = std::move(tick);
    if (window_) window_->startTimer(handle, intervalMs);
    return handle;
}

void CFrame::stopTimer(int handle) {
    auto turn = uiTurn(uiLock_);
    if (timers_.erase(handle) && window_) window_->stopTimer(handle);
}

// The keyboard: a click inside the window takes it, so the arrow keys reach the knob under the pointer
// in a host whose window manager gave the keyboard to the host's window; once the pointer has left, it
// goes back to whoever had it, as hosts expect, unless a text field or a popup still needs it.
void CFrame::releaseKeyboardIfUnneeded() {
    if (window_ && !focusView_ && !popup_ && !pointerInside_) window_->setKeyboardFocus(false);
}

void CFrame::platformMouseDown(CPoint devicePoint, CButtonState buttons) {
    if (!acceptsInput()) return;
    CPoint where = toLogical(devicePoint);
    pointerInside_ = true;
    if (window_) window_->setKeyboardFocus(true);
    dispatchPlatformEvent([&] { onMouseDown(where, buttons); });
}

void CFrame::platformMouseUp(CPoint devicePoint, CButtonState buttons) {
    if (!acceptsInput()) return;
    CPoint where = toLogical(devicePoint);
    dispatchPlatformEvent([&] { onMouseUp(where, buttons); });
}

void CFrame::platformMouseMoved(CPoint devicePoint, CButtonState buttons) {
    if (!acceptsInput()) return;
    CPoint where = toLogical(devicePoint);
    pointerInside_ = true;
    dispatchPlatformEvent([&] { onMouseMoved(where, buttons); });
}

void CFrame::platformMouseLeft() {
    if (!acceptsInput()) return;
    pointerInside_ = false;
    releaseKeyboardIfUnneeded();
    CPoint outside(-1, -1);
    dispatchPlatformEvent([&] { onMouseExited(outside, 0); });
}

void CFrame::platformWheel(CPoint devicePoint, float distance, CButtonState buttons) {
    if (!acceptsInput()) return;
    const CPoint where = toLogical(devicePoint);
    dispatchPlatformEvent([&] { onWheel(where, distance, buttons); });
}

bool CFrame::platformKeyDown(CKeyCode key) {
    if (!acceptsInput()) return false;
    bool used = false;
    dispatchPlatformEvent([&] { used = onKeyDown(key); });
    return used;
}

bool CFrame::platformKeyUp(CKeyCode key) {
    if (!acceptsInput()) return false;
    bool used = false;
    dispatchPlatformEvent([&] { used = onKeyUp(key); });
    return used;
}

void CFrame::platformPaint() {
    if (closed_) return;
    dispatchPlatformEvent([&] { redrawDirtyViews(); });
}

void CFrame::platformTimer(int id) {
    // Our own timer thread holds the lock already; a window timer in the DLL takes it here.
    const std::shared_ptr<platform::UiLock> lock = uiLock_;
    const auto turn = tryUiTurn(lock);
    if (lock && !turn) return;
    if (closed_) return;
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    std::function<void()> tick = it->second;  // the tick may stop its own timer
    dispatchPlatformEvent([&] { tick(); });
}

void CFrame::platformDestroyed() { allDirty_.store(true, std::memory_order_relaxed); }
