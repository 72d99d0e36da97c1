// Test doubles for the preset system: an effect that records what it applies, a scripted file dialog, a
// recording preset bar, a private settings store and scratch directories.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/preset_bar/preset_system_editor.h"
#include "plugin/preferences.h"
#include "presets/stored_settings.h"

namespace zarpa::test {

constexpr std::int32_t kTestId = ('O' << 24) | ('K' << 16) | ('z' << 8) | 'r';

// The preset system's effect without the signal path: remembers every selectProgram and every value applied.
class TestEffect : public CPresetSystemEffect {
public:
    TestEffect() : CPresetSystemEffect(nullptr) { setUniqueID(kTestId); }
    void processReplacing(float**, float**, VstInt32) override {}
    void setParameter(VstInt32 index, float value) override {
        if (loadingProgram && index >= 0 && index < kNumParams) applied[index] = value;
        CPresetSystemEffect::setParameter(index, value);
    }
    void selectProgram(int index) override {
        selected.push_back(index);
        CPresetSystemEffect::selectProgram(index);
    }
    ProgramRecord& program(int k) { return programs()[k]; }

    std::vector<int> selected;
    float applied[kNumParams] = {};
};

// An effect with its editor object, started the way the plug-in starts: stored defaults, then program 0.
struct Instance {
    Instance() : effect(std::make_unique<TestEffect>()), editor(new CPresetSystemEditor(effect.get())) {
        effect->setEditor(editor);
        effect->loadStartupDefaults();
        effect->selectProgram(0);
        effect->selected.clear();
    }
    std::unique_ptr<TestEffect> effect;  // owns the editor; destroying it stores the remembered paths
    CPresetSystemEditor* editor;
};

// Answers at once with the scripted choices and remembers every request.
class ScriptedSelector : public FileSelector {
public:
    struct Seen {
        FileDialogStyle style;
        std::string title, initialDirectory, defaultFileName, description, extension;
    };
    bool choose(const FileDialogRequest& r, Answer answer) override {
        requests.push_back({r.style, r.title, r.initialDirectory, r.defaultFileName, r.typeDescription, r.extension});
        answer(choices);
        return true;
    }
    std::vector<std::string> choices;
    std::vector<Seen> requests;
};

class RecordingPresetBar : public PresetBarView {
public:
    void setMenuEntryTitle(int index, const char* title) override { titles.emplace_back(index, title); }
    void setMenuCurrentEntry(int index) override { currentEntry = index; }
    void setNameFieldText(const char* text) override { nameField = text; }
    void redrawAll() override { ++redraws; }
    std::vector<std::pair<int, std::string>> titles;
    int currentEntry = -1;
    std::string nameField;
    int redraws = 0;
};

// Each test gets an empty settings store of its own (a private XDG directory on Linux; the registry key
// emptied before and after on Windows) and a scratch directory for files.
class PresetStoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string scratchPath(const std::string& fileName) const;  // full native path
    static std::vector<unsigned char> readStoredValue(const char* key, const char* name);

    std::filesystem::path scratch;
    std::string savedConfigHome;
    bool hadConfigHome = false;
};

std::vector<unsigned char> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Gives every program a recognisable name and values: program k, value j is k + j / 100.
void fillPrograms(TestEffect& effect);

}  // namespace zarpa::test
