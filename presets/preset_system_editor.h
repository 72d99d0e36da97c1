// The preset system's part of the editor object: preset and bank records, the settings-store slots
// (default bank, default preset, memo A and B) and the remembered paths. The editor object lives as
// long as the effect, so all of this works with no window open.
#pragma once

#include "presets/preset_system_effect.h"
#include "toolkit/aeffguieditor.h"

namespace zarpa {

constexpr int kPresetRecordSize = 133;
constexpr int kBankRecordSize = 3077;

class CPresetSystemEditor : public AEffGUIEditor {
public:
    explicit CPresetSystemEditor(AudioEffect* effect);
    ~CPresetSystemEditor() override;

    virtual void programNameChanged(const char* name);
    virtual void loadDefaults();
    virtual void readBank(const unsigned char* record, bool endianReversed);
    virtual void writeBank(unsigned char* buffer);
    virtual void readPreset(const unsigned char* record, bool endianReversed);
    virtual void writePreset(unsigned char* buffer);

protected:
    CPresetSystemEffect* presetEffect() { return static_cast<CPresetSystemEffect*>(effect); }
};

}  // namespace zarpa
