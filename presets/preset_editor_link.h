// What the preset system's effect asks of its editor, when the effect has one that is the preset system's:
// the editor's user-interface turn, the program name shown in the preset bar, and the stored defaults.
#pragma once

namespace zarpa {

// Threading: lockTurn and unlockTurn on any thread of the host (they take the editor's recursive
// user-interface lock); the other two inside that turn.
class PresetEditorLink {
public:
    virtual void lockTurn() = 0;
    virtual void unlockTurn() = 0;
    // The current program was renamed by the host: the preset bar shows the name.
    virtual void programNameChanged(const char* name) = 0;
    // Start-up: the stored default bank, default preset and remembered paths.
    virtual void loadDefaults() = 0;

protected:
    ~PresetEditorLink() = default;
};

}  // namespace zarpa
