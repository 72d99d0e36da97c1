// What a frame asks of the editor that owns it: the edit gestures of its controls, the knob mode, the
// user-interface lock its window's timer shares, and notice that the frame closes. The editor that owns
// the frame implements it; a frame without an editor works on its own.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui_lock.h"

class CEditorInterface {
public:
    // A control moved by the user: the start and end of one gesture on the parameter with this tag.
    virtual void beginEdit(std::int32_t tag) = 0;
    virtual void endEdit(std::int32_t tag) = 0;
    virtual std::int32_t getKnobMode() const = 0;  // a CKnobMode
    virtual const std::shared_ptr<platform::UiLock>& getUiLock() const = 0;
    // The frame's close has begun: no other thread may reach its views from now on.
    virtual void frameClosing() = 0;

protected:
    ~CEditorInterface() = default;
};
