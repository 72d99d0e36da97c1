// CFrame: the editor window's root view, its framebuffer, its native child window and its event routing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "toolkit/draw_context.h"
#include "toolkit/platform_window.h"
#include "toolkit/tooltip.h"
#include "toolkit/view_container.h"

class CEditorInterface;
class FileDialogBackend;
class CNewFileSelector;

// The frame draws its views into its own framebuffer and shows it in a native child window of the
// host's window (parentWindow: an X11 Window id on Linux, an HWND on Windows). Without a parent window
// the frame has no native window and works headless: tests draw it and feed it events directly.
//
// Drawing: views only mark themselves dirty; idle() redraws what is dirty into the framebuffer and
// shows it. A full redraw goes through draw(), a partial one through drawRect(), so a derived frame
// that overrides both draws over everything in either case.
//
// Threading: setDirty (of the frame and of its views) may come from any thread; everything else runs
// on the user-interface thread, where the host calls the editor.
class CFrame : public CViewContainer, private toolkit::PlatformWindowClient {
public:
    // size is logical (the 100 % window); at scalePercent 150 or 200 the native window and the
    // framebuffer are that much larger, views draw at the scale and mouse positions come back logical.
    CFrame(const CRect& size, void* parentWindow, CEditorInterface* editor, int scalePercent = 100);
    int getScalePercent() const { return backBuffer_.getScalePercent(); }
    ~CFrame() override;

    CEditorInterface* getEditor() const { return editor_; }
    // True while the native window exists (false when headless, after close, or once the host
    // destroyed the parent window).
    bool isOpen() const;
    void* getSystemWindow() const;
    // Ends the frame's life in the window: the editor stops handing views to other threads, timers
    // stop, the native window goes and every view is removed. Safe to call twice.
    void close();

    // Reads pending window events (X11), redraws the dirty views and shows the result.
    virtual void idle();
    // Redraws whatever is dirty into the framebuffer and shows it; called by idle() and on paint.
    void redrawDirtyViews();
    // The frame itself dirty means: redraw everything.
    bool isDirty() const override { return allDirty_.load(std::memory_order_relaxed); }
    void setDirty(bool state = true) override { allDirty_.store(state, std::memory_order_relaxed); }
    void invalidateArea(const CRect& rect);  // user-interface thread: redraw this area at the next idle

    CDrawContext* getBackBuffer() { return &backBuffer_; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    // A key goes to the focus view, else to the view under the pointer; false when nobody used it.
    bool onKeyDown(CKeyCode& key) override;
    bool onKeyUp(CKeyCode& key) override;

    // The keyboard focus: the old focus view is told first (looseFocus), then the new one (takeFocus).
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView_; }

    // A popup (an option menu's list) lies above every view and receives every mouse event and key
    // until it is closed. The frame takes over the caller's reference.
    void openPopup(CView* popup);
    void closePopup();
    CView* getPopup() const { return popup_; }

    // Edit gestures and the knob mode, passed to the editor.
    void beginEdit(std::int32_t tag);
    void endEdit(std::int32_t tag);
    std::int32_t getKnobMode() const;

    // A periodic timer calling tick under the editor's user-interface lock; returns its handle (0 when
    // none could be made). In the DLL it is a window timer on the host's user-interface thread; on Linux
    // it ticks on the window's own timer thread, taking turns with the host's editor calls. A headless
    // frame keeps the tick but never calls it.
    int startTimer(std::uint32_t intervalMs, std::function<void()> tick);
    void stopTimer(int handle);

    // True while a window event (a click, a timer tick) is being handled: no time to replace the frame.
    bool isHandlingEvent() const { return eventDepth_ > 0; }

    // The millisecond clock of the tooltips' delay (a steady clock unless the editor gives its own).
    void setClock(std::function<std::uint32_t()> clock);
    const CTooltip& getTooltip() const { return tooltip_; }

    // The file dialogs of this frame (nullptr: the platform's own). Tests put a scripted one here.
    void setFileDialogBackend(FileDialogBackend* backend) { fileDialogBackend_ = backend; }
    FileDialogBackend* getFileDialogBackend() const { return fileDialogBackend_; }
    // True while a file dialog of this frame is up (at most one is). Its answer is delivered by idle;
    // close takes it down unanswered. The window keeps taking input meanwhile.
    bool isFileDialogOpen() const { return fileDialog_ != nullptr; }
    // The editor's user-interface lock (null for a frame without an editor).
    const std::shared_ptr<platform::UiLock>& getUiLock() const { return uiLock_; }

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CFrame") == 0 || CViewContainer::isTypeOf(type);
    }

protected:
    void releaseEventTargets(CView* view) override;

private:
    void platformMouseDown(CPoint where, CButtonState buttons) override;
    void platformMouseUp(CPoint where, CButtonState buttons) override;
    void platformMouseMoved(CPoint where, CButtonState buttons) override;
    void platformMouseLeft() override;
    void platformWheel(CPoint where, float distance, CButtonState buttons) override;
    bool platformKeyDown(CKeyCode key) override;
    bool platformKeyUp(CKeyCode key) override;
    void platformPaint() override;
    void platformTimer(int id) override;
    void platformDestroyed() override;
    void collectDirtyAreas(std::vector<CRect>& areas);
    void releaseKeyboardIfUnneeded();
    void updateTooltip();
    // The file dialog's place (CNewFileSelector): taken before the dialog goes up, kept while it is up.
    friend class CNewFileSelector;
    bool reserveFileDialog(CNewFileSelector* dialog);
    bool hasFileDialog(const CNewFileSelector* dialog) const { return fileDialog_ == dialog; }
    void releaseFileDialog(const CNewFileSelector* dialog);
    void deliverFileDialogAnswer();
    CView* keyTarget() const;
    bool acceptsInput() const { return !closed_; }
    // Platform events run inside this: the frame and its native window outlive the handlers even when
    // a handler closes the frame; the native window goes once the outermost event or poll has ended.
    template <typename F>
    void dispatchPlatformEvent(F&& handler);
    void pollWindow(bool input);
    void retireWindowWhenUnused();
    CPoint toLogical(CPoint devicePoint) const;

    CEditorInterface* editor_;
    std::shared_ptr<platform::UiLock> uiLock_;  // the editor's; null for a frame without one
    COffscreenContext backBuffer_;
    std::unique_ptr<toolkit::PlatformWindow> window_;
    std::atomic<bool> allDirty_{true};
    std::vector<CRect> invalidAreas_;
    CView* focusView_ = nullptr;
    CView* popup_ = nullptr;
    CPoint lastMousePosition_{-1, -1};
    std::map<int, std::function<void()>> timers_;
    int nextTimer_ = 1;
    int eventDepth_ = 0;
    int pollDepth_ = 0;
    bool inIdle_ = false;
    bool pointerInside_ = false;  // of the native window, as its events tell
    bool closed_ = false;
    FileDialogBackend* fileDialogBackend_ = nullptr;
    std::function<std::uint32_t()> clock_;
    CTooltip tooltip_;
    bool tooltipStale_ = false;  // the box appeared or moved: draw it at the next redraw
    CNewFileSelector* fileDialog_ = nullptr;
};
