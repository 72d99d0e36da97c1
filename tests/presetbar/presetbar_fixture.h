// Shared set-up of the preset bar tests: the editor fixture, plus a scripted file dialog on the frame that
// records every request and answers with the paths the test gives, and a scratch directory for files.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "editor/preset_bar/preset_bar.h"
#include "editor/preset_bar/preset_bar_controls.h"
#include "presets/stored_settings.h"
#include "tests/editor/editor_fixture.h"
#include "toolkit/file_selector.h"
#include "toolkit/option_menu.h"
#include "toolkit/text_edit.h"

namespace zarpa::testing {

class ScriptedDialog : public FileDialogBackend {
public:
    std::unique_ptr<FileDialogSession> start(const ::FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return answeredSession({});  // cancelled
        std::vector<std::string> answer = answers.front();
        answers.erase(answers.begin());
        return answeredSession(answer);
    }
    std::vector<::FileDialogRequest> requests;
    std::vector<std::vector<std::string>> answers;
};

class PresetBarTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        frame->setFileDialogBackend(&dialog);
        // A directory of this test's own, made atomically: test programs run side by side, and an
        // object's address repeats between them (the address sanitizer's allocator hands out the same
        // ones), so it cannot name the directory.
        std::random_device random;
        do scratch = std::filesystem::temp_directory_path() / ("zarpa-presetbar-" + std::to_string(random()));
        while (!std::filesystem::create_directory(scratch));
    }
    void TearDown() override {
        EditorTest::TearDown();
        std::error_code ec;
        std::filesystem::remove_all(scratch, ec);
    }

    PresetBar& bar() { return *editor().getPresetBar(); }
    CControl& control(int tag) { return *bar().control(tag); }
    CPoint centreOf(int tag) {
        const CRect& r = control(tag).getViewSize();
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // A click, then the frame's idle pass that delivers a dialog's answer.
    void clickOn(int tag, CButtonState buttons = kLButton, CCoord dx = 0) {
        CPoint at = centreOf(tag);
        at.x += dx;
        frame->onMouseDown(at, buttons);
        frame->onMouseUp(at, 0);
        frame->idle();
    }
    int current() { return plugin->getCurrentProgramIndex(); }
    std::string hostProgramName() {
        char name[64] = {};
        plugin->getAeffect()->dispatcher(plugin->getAeffect(), effGetProgramName, 0, 0, name, 0.0f);
        return name;
    }
    std::string menuTitle(int k) { return bar().programMenu()->getEntry(k)->getTitle(); }
    std::string path(const char* file) { return (scratch / file).string(); }

    ScriptedDialog dialog;
    std::filesystem::path scratch;
};

}  // namespace zarpa::testing
