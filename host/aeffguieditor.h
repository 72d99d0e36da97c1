// The editor base of the VST 2.4 binding for editors with a window: the window's life across rough hosts,
// the host's editor calls (idle, keys, knob mode) run in the editor's user-interface turn, and the guard
// of the views against parameter changes from other threads. The window itself belongs to the derived
// class (CFrameEditor in editor/: a toolkit frame).
#pragma once

#include <atomic>
#include <memory>

#include "host/aeffeditor.h"
#include "host/audioeffect.h"
#include "platform/ui_lock.h"

// Life of the window: open(parent) records the parent window (closing a window the host left open),
// the derived open creates its window and controls, and enableViewUpdates() hands the views to other
// threads. close() takes them back and ends the window (closeWindow); calling it twice, or without open,
// does nothing. A derived close calls AEffGUIEditor::close() before it clears its own control pointers.
// A derived class that keeps a window closes it in its own destructor (hosts that never send
// effEditClose).
//
// Threading: open, close, idle and keys run on the host's user-interface thread, and on Linux the
// window's own timer runs idle on a thread of its own. Both run the editor only inside a UiTurn, which
// every override of open, close and idle takes first (the lock is recursive, so the base class taking it
// again costs nothing). The knob mode is a plain atomic value.
// setParameter may arrive from any thread (automation on the audio thread); it may touch views only
// inside a ViewAccess that succeeded, which never blocks:
//
//     void Editor::setParameter(VstInt32 index, float value) {
//         ViewAccess views(*this);
//         if (!views) return;  // window closed, or still being built
//         ...
//     }
class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** r) override;
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() const override { return hasWindow(); }
    // Runs the window: its events, redraw of what changed.
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    bool setKnobMode(VstInt32 mode) override;
    std::int32_t getKnobMode() const { return knobMode_.load(std::memory_order_relaxed); }

    // A parameter changed in the effect (any thread); the editor moves its control.
    virtual void setParameter(VstInt32, float) {}
    // A control moved by the user: the host's automation gesture.
    virtual void beginEdit(VstInt32 index) { effect->beginEdit(index); }
    virtual void endEdit(VstInt32 index) { effect->endEdit(index); }

    // Shared with the window and its timer, which may end after the editor.
    const std::shared_ptr<platform::UiLock>& getUiLock() const { return uiLock_; }

    // The editor's turn on the calling thread: kWait for opening and closing, kTry for idle and keys
    // (when the other thread is running the editor, this call has nothing to do).
    class UiTurn {
    public:
        enum Mode { kWait, kTry };
        UiTurn(const AEffGUIEditor& editor, Mode mode);
        ~UiTurn();
        UiTurn(const UiTurn&) = delete;
        UiTurn& operator=(const UiTurn&) = delete;
        explicit operator bool() const { return held_; }

    private:
        std::shared_ptr<platform::UiLock> lock_;
        bool held_;
    };

    // Open's last step: from now on other threads may reach the views through ViewAccess. idle() does
    // it too, for an open that forgot.
    void enableViewUpdates();
    // Close's first step: no new ViewAccess succeeds, and those under way have ended on return.
    void disableViewUpdates();

    // Scoped permission for another thread to touch the window's views.
    class ViewAccess {
    public:
        explicit ViewAccess(AEffGUIEditor& editor);
        ~ViewAccess();
        ViewAccess(const ViewAccess&) = delete;
        ViewAccess& operator=(const ViewAccess&) = delete;
        explicit operator bool() const { return granted_; }

    private:
        AEffGUIEditor& editor_;
        bool granted_;
    };

protected:
    // The derived class's window: whether one is open; ending it (its views already taken back from other
    // threads); running it at idle; a key from the host for it (false: not used, the host's).
    virtual bool hasWindow() const { return false; }
    virtual void closeWindow() {}
    virtual void idleWindow() {}
    virtual bool windowKey(const VstKeyCode&, bool /*down*/) { return false; }

    ERect rect{};

private:
    std::shared_ptr<platform::UiLock> uiLock_ = std::make_shared<platform::UiLock>();
    std::atomic<bool> viewsEnabled_{false};
    std::atomic<int> viewUsers_{0};
    std::atomic<std::int32_t> knobMode_{0};  // kCircularMode until the host says otherwise
};
