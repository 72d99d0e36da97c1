// The effect's editor object: lives as long as the effect; its window exists between open and close.
#pragma once

#include "presets/preset_system_editor.h"

namespace zarpa {

class Editor : public CPresetSystemEditor {
public:
    explicit Editor(AudioEffect* effect);
    ~Editor() override;

    void setParameter(VstInt32 index, float value) override;
    void setProcessLatency(int samples) { processLatency = samples; }
    int getProcessLatency() const { return processLatency; }

private:
    int processLatency = 0;
};

}  // namespace zarpa
