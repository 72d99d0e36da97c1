// The editor base: the host's editor binding for editors built with the toolkit. Owns the frame between
// open and close, forwards the host's editor calls (idle, keys in the toolkit's codes, knob mode) to it,
// and guards the views against parameter changes from other threads.
#pragma once

#include <atomic>
#include <memory>

#include "host/aeffeditor.h"
#include "host/audioeffect.h"
#include "toolkit/editor_interface.h"
#include "toolkit/keys.h"

class CFrame;

// Life of the window: open(parent) records the parent window (closing a window the host left open),
// the derived open creates the frame (new CFrame(rect, parent, this)) and its controls, and
// enableViewUpdates() hands the views to other threads. close() takes them back, stops the frame's
// timers, destroys the native window and releases the frame; calling it twice, or without open, does
// nothing. A derived close calls AEffGUIEditor::close() before it clears its own control pointers.
// The destructor closes a window still open (hosts that never send effEditClose).
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
class AEffGUIEditor : public AEffEditor, public CEditorInterface {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** r) override;
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() const override { return frame != nullptr; }
    // Runs the frame: window events, redraw of dirty views.
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    bool setKnobMode(VstInt32 mode) override;
    std::int32_t getKnobMode() const override { return knobMode_.load(std::memory_order_relaxed); }

    // A parameter changed in the effect (any thread); the editor moves its control.
    virtual void setParameter(VstInt32, float) {}
    // A control moved by the user: the host's automation gesture.
    void beginEdit(VstInt32 index) override { effect->beginEdit(index); }
    void endEdit(VstInt32 index) override { effect->endEdit(index); }

    CFrame* getFrame() const { return frame; }
    // Shared with the frame and its window's timer, which may end after the editor.
    const std::shared_ptr<toolkit::UiLock>& getUiLock() const override { return uiLock_; }

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
        std::shared_ptr<toolkit::UiLock> lock_;
        bool held_;
    };

    // Open's last step: from now on other threads may reach the views through ViewAccess. idle() does
    // it too, for an open that forgot.
    void enableViewUpdates();
    // Close's first step: no new ViewAccess succeeds, and those under way have ended on return.
    void disableViewUpdates();
    void frameClosing() override { disableViewUpdates(); }

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
    ERect rect{};
    CFrame* frame = nullptr;

private:
    std::shared_ptr<toolkit::UiLock> uiLock_ = std::make_shared<toolkit::UiLock>();
    std::atomic<bool> viewsEnabled_{false};
    std::atomic<int> viewUsers_{0};
    std::atomic<std::int32_t> knobMode_{0};  // kCircularMode until the host says otherwise
};
