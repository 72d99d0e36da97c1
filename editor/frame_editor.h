// An editor whose window is a toolkit frame: the host binding's editor base with the frame it owns
// between open and close, run at idle, given the host's keys in the toolkit's codes, and answered when
// it asks for the edit gestures, the knob mode and the user-interface lock.
#pragma once

#include "host/aeffguieditor.h"
#include "toolkit/editor_interface.h"

class CFrame;

// The derived open creates the frame (new CFrame(rect, parent, this)) and its controls; close stops the
// frame's timers, destroys the native window and releases the frame; the destructor closes a window
// still open. Threading as AEffGUIEditor.
class CFrameEditor : public AEffGUIEditor, public CEditorInterface {
public:
    explicit CFrameEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}
    ~CFrameEditor() override;

    CFrame* getFrame() const { return frame; }

    // What the frame asks of its editor.
    void beginEdit(VstInt32 index) override { AEffGUIEditor::beginEdit(index); }
    void endEdit(VstInt32 index) override { AEffGUIEditor::endEdit(index); }
    std::int32_t getKnobMode() const override { return AEffGUIEditor::getKnobMode(); }
    const std::shared_ptr<platform::UiLock>& getUiLock() const override { return AEffGUIEditor::getUiLock(); }
    void frameClosing() override { disableViewUpdates(); }

protected:
    bool hasWindow() const override { return frame != nullptr; }
    void closeWindow() override;
    void idleWindow() override;
    bool windowKey(const VstKeyCode& key, bool down) override;

    CFrame* frame = nullptr;
};
