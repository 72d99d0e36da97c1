// Preset and bank records, their files and settings-store slots, and the remembered paths.
#include "editor/preset_bar/preset_system_editor.h"

#include <cstring>
#include <functional>
#include <string>

#include "editor/editor_artwork.h"
#include "editor/preset_bar/preset_bar.h"
#include "platform/platform.h"
#include "presets/stored_settings.h"

namespace zarpa {

// What differs between preset files and bank files.
struct CPresetSystemEditor::RecordFileType {
    const char* loadTitle;
    const char* loadReversedTitle;
    const char* saveTitle;
    const char* description;
    const char* extension;
    std::size_t size;
    char (CPresetSystemEditor::*rememberedFile)[kPathTextSize];
    void (CPresetSystemEditor::*read)(const unsigned char*, bool);
    void (CPresetSystemEditor::*write)(unsigned char*);
};

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* effect) : CFrameEditor(effect) {
    installEditorArtwork();
    const std::string cwd = platform::currentDirectory(kPathTextSize - 1);
    std::memcpy(currentDirectory, cwd.c_str(), cwd.size() + 1);
}

CPresetSystemEditor::~CPresetSystemEditor() {
    storePathTexts(currentDirectory, currentBankFile, currentPresetFile);
}

ProgramRecord* CPresetSystemEditor::currentProgramRecord() {
    CPresetSystemEffect* fx = presetEffect();
    if (!fx || !fx->programs()) return nullptr;
    const int c = fx->getCurrentProgramIndex();
    return c >= 0 && c < kNumPrograms ? &fx->programs()[c] : nullptr;
}

// ---- records ----

void CPresetSystemEditor::programNameChanged(const char* name) {
    ViewAccess views(*this);  // the host may rename from its own thread while the window closes
    if (!views || !presetBar || !name) return;
    presetBar->setNameFieldText(name);
    if (CPresetSystemEffect* fx = presetEffect()) presetBar->setMenuEntryTitle(fx->getCurrentProgramIndex(), name);
}

void CPresetSystemEditor::readBank(const unsigned char* record, bool endianReversed) {
    CPresetSystemEffect* fx = presetEffect();
    if (!fx || !fx->programs()) return;
    fx->selectProgram(0);
    if (!record) return;
    const std::optional<bool> foreign = recordByteOrderSwapped(record, fx->getPresetId());
    if (!foreign || recordKind(record) != kBankKind) return;

    ProgramRecord* programs = fx->programs();
    const bool swapValues = *foreign != endianReversed;  // reversing twice leaves the values as stored
    for (int k = 0; k < kNumPrograms; ++k) {
        readRecordProgram(record + kRecordHeaderSize + k * sizeof(ProgramRecord), programs[k], swapValues);
        if (presetBar) {
            presetBar->setMenuCurrentEntry(k);
            presetBar->setMenuEntryTitle(k, programName(programs[k]).text);
        }
    }
    if (presetBar) {
        presetBar->setMenuCurrentEntry(0);
        presetBar->setNameFieldText(programName(programs[0]).text);
    }
    fx->selectProgram(0);
}

void CPresetSystemEditor::writeBank(unsigned char* buffer) {
    CPresetSystemEffect* fx = presetEffect();
    if (!buffer || !fx || !fx->programs()) return;
    writeRecordHeader(buffer, fx->getPresetId(), kBankKind);
    for (int k = 0; k < kNumPrograms; ++k)
        writeRecordProgram(fx->programs()[k], buffer + kRecordHeaderSize + k * sizeof(ProgramRecord));
}

void CPresetSystemEditor::readPreset(const unsigned char* record, bool endianReversed) {
    CPresetSystemEffect* fx = presetEffect();
    ProgramRecord* program = currentProgramRecord();
    if (!program || !record) return;
    const std::optional<bool> foreign = recordByteOrderSwapped(record, fx->getPresetId());
    if (!foreign || recordKind(record) != kPresetKind) return;

    const int c = fx->getCurrentProgramIndex();
    readRecordProgram(record + kRecordHeaderSize, *program, *foreign != endianReversed);
    const ProgramName name = programName(*program);
    if (presetBar) {
        presetBar->setNameFieldText(name.text);
        presetBar->setMenuEntryTitle(c, name.text);
    }
    fx->setCurrentProgramName(name.text);
    fx->selectProgram(c);
}

void CPresetSystemEditor::writePreset(unsigned char* buffer) {
    CPresetSystemEffect* fx = presetEffect();
    const ProgramRecord* program = currentProgramRecord();
    if (!buffer || !program) return;
    writeRecordHeader(buffer, fx->getPresetId(), kPresetKind);
    writeRecordProgram(*program, buffer + kRecordHeaderSize);
}

// ---- settings-store slots ----

void CPresetSystemEditor::loadDefaults() {
    unsigned char bank[kBankRecordSize];
    loadStoredRecord(kDefaultBankValue, bank, sizeof bank);
    readBank(bank, false);

    unsigned char preset[kPresetRecordSize];
    loadStoredRecord(kDefaultPresetValue, preset, sizeof preset);
    readPreset(preset, false);

    loadPathTexts(currentDirectory, currentBankFile, currentPresetFile);
    // A fresh install has no remembered place: the first dialog starts in the user's documents.
    if (!currentDirectory[0]) {
        const std::string documents = platform::documentsDirectory(kPathTextSize - 1);
        std::memcpy(currentDirectory, documents.c_str(), documents.size() + 1);
    }
}

// A store without a program store would write an empty record over the user's stored one: skip it.
bool CPresetSystemEditor::storeDefaultBank() {
    if (!currentProgramRecord()) return false;
    unsigned char bank[kBankRecordSize] = {};
    writeBank(bank);
    return storeRecord(kDefaultBankValue, bank, sizeof bank);
}

bool CPresetSystemEditor::storeDefaultPreset() {
    if (!currentProgramRecord()) return false;
    unsigned char preset[kPresetRecordSize] = {};
    writePreset(preset);
    return storeRecord(kDefaultPresetValue, preset, sizeof preset);
}

void CPresetSystemEditor::clearDefaultBank() { clearStoredRecord(kDefaultBankValue); }
void CPresetSystemEditor::clearDefaultPreset() { clearStoredRecord(kDefaultPresetValue); }

bool CPresetSystemEditor::storeMemo(Memo memo) {
    if (!currentProgramRecord()) return false;
    unsigned char preset[kPresetRecordSize] = {};
    writePreset(preset);
    return storeRecord(memo == Memo::A ? kMemoAValue : kMemoBValue, preset, sizeof preset);
}

void CPresetSystemEditor::recallMemo(Memo memo) {
    unsigned char preset[kPresetRecordSize];
    loadStoredRecord(memo == Memo::A ? kMemoAValue : kMemoBValue, preset, sizeof preset);
    readPreset(preset, false);
}

// ---- files ----

const CPresetSystemEditor::RecordFileType& CPresetSystemEditor::presetFiles() {
    static const RecordFileType type{
        "Load preset", "Load preset (endian-reversed)", "Save preset", "OKA Preset", "oka", kPresetRecordSize,
        &CPresetSystemEditor::currentPresetFile, &CPresetSystemEditor::readPreset, &CPresetSystemEditor::writePreset};
    return type;
}

const CPresetSystemEditor::RecordFileType& CPresetSystemEditor::bankFiles() {
    static const RecordFileType type{
        "Load bank", "Load bank (endian-reversed)", "Save bank", "OKA Bank", "okb", kBankRecordSize,
        &CPresetSystemEditor::currentBankFile, &CPresetSystemEditor::readBank, &CPresetSystemEditor::writeBank};
    return type;
}

void CPresetSystemEditor::loadPresetFile(bool endianReversed) { loadRecordFile(presetFiles(), endianReversed); }
void CPresetSystemEditor::savePresetFile() { saveRecordFile(presetFiles()); }
void CPresetSystemEditor::loadBankFile(bool endianReversed) { loadRecordFile(bankFiles(), endianReversed); }
void CPresetSystemEditor::saveBankFile() { saveRecordFile(bankFiles()); }
bool CPresetSystemEditor::saveBankFileTo(const char* path) { return saveRecordFileTo(bankFiles(), path); }

// The dialog stays up beside the host while the user decides; the chosen file is read or written when its
// answer arrives (at an idle pass, in the editor's turn), so every host thread goes on meanwhile.
void CPresetSystemEditor::chooseOneFile(const FileDialogRequest& request, std::function<void(const std::string&)> use) {
    if (!fileSelector) return;
    fileSelector->choose(request, [use = std::move(use)](std::vector<std::string> chosen) {
        if (chosen.size() == 1 && !chosen[0].empty()) use(chosen[0]);
    });
}

void CPresetSystemEditor::loadRecordFile(const RecordFileType& type, bool endianReversed) {
    const FileDialogRequest request{FileDialogStyle::Open, endianReversed ? type.loadReversedTitle : type.loadTitle,
                                    currentDirectory, "", type.description, type.extension};
    chooseOneFile(request, [this, &type, endianReversed](const std::string& path) {
        loadRecordFileFrom(type, path.c_str(), endianReversed);
    });
}

void CPresetSystemEditor::saveRecordFile(const RecordFileType& type) {
    // Until the user saved one, the file is offered under the program's name.
    char programName[kVstMaxEffectNameLen + 1] = {};
    const char* remembered = this->*type.rememberedFile;
    if (!remembered[0] && presetEffect()) presetEffect()->getEffectName(programName);
    const FileDialogRequest request{FileDialogStyle::Save, type.saveTitle, currentDirectory,
                                    remembered[0] ? remembered : programName, type.description, type.extension};
    chooseOneFile(request, [this, &type](const std::string& path) { saveRecordFileTo(type, path.c_str()); });
}

// The file is opened by the full path the dialog returned. The remembered directory and file name are our
// own state for the next dialog; the process's working directory belongs to the host and is left alone.
void CPresetSystemEditor::loadRecordFileFrom(const RecordFileType& type, const char* path, bool endianReversed) {
    splitPath(path, this->*type.rememberedFile, currentDirectory);
    unsigned char record[kBankRecordSize];
    readRecordFile(path, record, type.size);
    (this->*type.read)(record, endianReversed);
    if (presetBar) presetBar->redrawAll();
}

// Written to a temporary file and renamed over the chosen one: a failed save keeps the previous file.
bool CPresetSystemEditor::saveRecordFileTo(const RecordFileType& type, const char* path) {
    splitPath(path, this->*type.rememberedFile, currentDirectory);
    if (!currentProgramRecord()) return false;
    unsigned char record[kBankRecordSize] = {};
    (this->*type.write)(record);
    return writeRecordFile(path, record, type.size);
}

}  // namespace zarpa
