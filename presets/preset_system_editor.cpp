// Preset and bank records and the settings-store slots of the preset system.
#include "presets/preset_system_editor.h"

namespace zarpa {

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}
CPresetSystemEditor::~CPresetSystemEditor() = default;

void CPresetSystemEditor::programNameChanged(const char*) {}
void CPresetSystemEditor::loadDefaults() {}
void CPresetSystemEditor::readBank(const unsigned char*, bool) {}
void CPresetSystemEditor::writeBank(unsigned char*) {}
void CPresetSystemEditor::readPreset(const unsigned char*, bool) {}
void CPresetSystemEditor::writePreset(unsigned char*) {}

}  // namespace zarpa
