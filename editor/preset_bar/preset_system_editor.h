// The preset system's part of the editor object: preset and bank records, preset and bank files, the
// settings-store slots (default bank, default preset, memo A and B) and the three remembered paths. The
// editor object lives as long as the effect, so all of this works with no window open; only the choice of
// a file needs a dialog, which the window hands in while it is open.
//
// Threading: everything runs in the editor's user-interface turn (the host's GUI thread, or on Linux the
// window's own timer thread; see AEffGUIEditor::UiTurn), except loadDefaults, which runs on the thread that
// creates the effect, before any window exists.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "editor/frame_editor.h"
#include "editor/preset_bar/preset_bar_view.h"
#include "editor/preset_bar/preset_file_dialog.h"
#include "presets/preset_records.h"
#include "presets/preset_system_effect.h"
#include "presets/record_files.h"
#include "toolkit/control.h"

namespace zarpa {

class PresetBar;
class FrameFileSelector;

class CPresetSystemEditor : public CFrameEditor, public CControlListener, public PresetEditorLink {
public:
    explicit CPresetSystemEditor(AudioEffect* effect);
    // Stores the three remembered paths for the next instance.
    ~CPresetSystemEditor() override;

    // The preset bar (editor/preset_bar/preset_bar_editor.cpp). open builds it on the frame the derived editor has
    // made (false, building nothing, without a frame or an effect) and starts the 50 ms idle timer; the
    // derived open calls it last. close stops the timer and drops the bar; the derived close calls it
    // first. idle brings the menu and the name field in line with the program store, then runs the frame.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    // The bar's actions by tag (1000 to 1018); other tags are ignored.
    void valueChanged(CControl* control) override;
    PresetBar* getPresetBar() const { return bar_.get(); }

    // The effect's waits for the editor's user-interface turn (the host's program-name and chunk calls).
    void lockTurn() override { getUiLock()->lock(); }
    void unlockTurn() override { getUiLock()->unlock(); }
    // The effect renamed the current program (name already cut to 24 characters).
    void programNameChanged(const char* name) override;
    // Start-up: the stored default bank, then the stored default preset, then the remembered paths.
    void loadDefaults() override;
    // Loads a bank record (kBankRecordSize bytes) into all 24 programs and applies program 0. Program 0 is
    // selected first, so even a refused record leaves it applied.
    virtual void readBank(const unsigned char* record, bool endianReversed);
    virtual void writeBank(unsigned char* buffer);
    // Loads a preset record (kPresetRecordSize bytes) into the current program and applies it.
    virtual void readPreset(const unsigned char* record, bool endianReversed);
    virtual void writePreset(unsigned char* buffer);

    // The preset bar's file operations put up their dialog and return; when the user has chosen one
    // file, the answer is acted on at a later idle pass. Nothing is reported: a refused file changes
    // nothing (except that a bank load always applies program 0).
    void loadPresetFile(bool endianReversed);
    void savePresetFile();
    void loadBankFile(bool endianReversed);
    void saveBankFile();
    // A bank written to a path as the dialog's answer is (remembered for the next dialog): whether the
    // bytes were written; a failed save leaves the previous file whole.
    bool saveBankFileTo(const char* path);
    // The slots of the settings store. The storing ones return whether the record was written; a
    // failed store leaves the slot whole.
    bool storeDefaultBank();
    void clearDefaultBank();
    bool storeDefaultPreset();
    void clearDefaultPreset();
    enum class Memo { A, B };
    bool storeMemo(Memo memo);
    void recallMemo(Memo memo);

    // The window's file dialog and preset bar while it is open; null otherwise (file operations then do
    // nothing). Not owned.
    void setFileSelector(FileSelector* selector) { fileSelector = selector; }
    void setPresetBarView(PresetBarView* view) { presetBar = view; }

    const char* getCurrentDirectory() const { return currentDirectory; }
    const char* getCurrentBankFile() const { return currentBankFile; }
    const char* getCurrentPresetFile() const { return currentPresetFile; }

protected:
    CPresetSystemEffect* presetEffect() { return static_cast<CPresetSystemEffect*>(effect); }

    // Remembered between dialogs and instances: the last directory (with its trailing separator) and the
    // last bank and preset file names.
    char currentDirectory[kPathTextSize] = {};
    char currentBankFile[kPathTextSize] = {};
    char currentPresetFile[kPathTextSize] = {};

    FileSelector* fileSelector = nullptr;
    PresetBarView* presetBar = nullptr;

    // The open window's preset bar, its file dialog and its idle timer (0: none).
    std::unique_ptr<PresetBar> bar_;
    std::unique_ptr<FrameFileSelector> frameDialogs_;
    int idleTimer_ = 0;

private:
    struct RecordFileType;
    static const RecordFileType& presetFiles();
    static const RecordFileType& bankFiles();
    void loadRecordFile(const RecordFileType& type, bool endianReversed);
    void saveRecordFile(const RecordFileType& type);
    void loadRecordFileFrom(const RecordFileType& type, const char* path, bool endianReversed);
    bool saveRecordFileTo(const RecordFileType& type, const char* path);
    void chooseOneFile(const FileDialogRequest& request, std::function<void(const std::string&)> use);
    ProgramRecord* currentProgramRecord();
};

}  // namespace zarpa
