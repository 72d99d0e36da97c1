// The editor base of the toolkit: owns the frame between open and close and forwards the host's
// editor calls to it.
#pragma once

#include "host/aeffeditor.h"
#include "host/audioeffect.h"

class CFrame;

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {}
    ~AEffGUIEditor() override = default;

    bool getRect(ERect** r) override {
        if (!r) return false;
        *r = &rect;
        return true;
    }

    // A parameter changed in the effect (any thread); the editor moves its control.
    virtual void setParameter(VstInt32, float) {}
    // A control moved by the user: set locally and tell the host.
    virtual void beginEdit(VstInt32 index) { effect->beginEdit(index); }
    virtual void endEdit(VstInt32 index) { effect->endEdit(index); }

    CFrame* getFrame() const { return frame; }

protected:
    ERect rect{};
    CFrame* frame = nullptr;
};
