// The preset system's part of the effect: the store of 24 programs behind the single program the host
// sees, program selection, and the state chunk.
//
// Threading: used from the host's calling threads and the editor's thread; it takes no lock of its own.
// Program names and values are plain bytes and floats; a program applied while another thread renames it
// may show either name, never a torn record beyond one value. The host's program-name and chunk calls take
// the editor's user-interface turn, since the open window (on Linux also run from its own timer thread)
// reads and rewrites the store in its turn; parameter calls never wait.
#pragma once

#include <atomic>
#include <cstdint>
#include "host/audioeffect.h"
#include "presets/preset_editor_link.h"
#include "records/record_layout.h"

namespace zarpa {

class CPresetSystemEffect : public AudioEffectX {
public:
    explicit CPresetSystemEffect(audioMasterCallback audioMaster);
    ~CPresetSystemEffect() override;

    void resume() override {}
    void setParameter(VstInt32 index, float value) override;  // stores into the current program
    float getParameter(VstInt32 index) override;              // value of the current program
    VstInt32 getProgram() override { return 0; }
    void setProgram(VstInt32) override {}
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    virtual int getCurrentProgramIndex() { return currentProgram; }
    virtual void selectProgram(int index);
    virtual void setCurrentProgramName(const char* name);
    virtual std::int32_t getPresetId() { return cEffect.uniqueID; }
    virtual void loadStartupDefaults();
    virtual void initFactoryPresets();

    // The program store, for the records and files of the preset editor (null if allocation failed).
    ProgramRecord* programs() { return programStore; }
    bool isLoadingProgram() const { return loadingProgram; }

protected:
    // The effect's editor, when it is the preset system's (null otherwise).
    PresetEditorLink* editorLink();

    // Holds the editor's user-interface turn for a scope (nothing without an editor).
    class EditorTurn {
    public:
        explicit EditorTurn(PresetEditorLink* link) : link_(link) {
            if (link_) link_->lockTurn();
        }
        ~EditorTurn() {
            if (link_) link_->unlockTurn();
        }
        EditorTurn(const EditorTurn&) = delete;
        EditorTurn& operator=(const EditorTurn&) = delete;

    private:
        PresetEditorLink* link_;
    };
    // Waits for the editor's user-interface turn.
    EditorTurn editorTurn() { return EditorTurn(editorLink()); }

    ProgramRecord* programStore = nullptr;
    unsigned char* chunkBuffer = nullptr;
    std::atomic<int> currentProgram{0};  // read by parameter calls on any thread
    bool loadingProgram = false;
};

}  // namespace zarpa
