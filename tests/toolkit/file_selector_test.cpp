// The file selector's modal run: what the dialog is asked, what comes back, and the window meanwhile.
#include <gtest/gtest.h>

#include "toolkit/file_selector.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

namespace {

// Answers with fixed paths and records the request; while "up", it lets the waiting loop run once.
class ScriptedDialog : public FileDialogBackend {
public:
    bool run(const FileDialogRequest& r, std::vector<std::string>& selected) override {
        request = r;
        ++runs;
        if (r.whileWaiting) r.whileWaiting();
        selected = answer;
        return chosen;
    }
    FileDialogRequest request;
    std::vector<std::string> answer;
    bool chosen = true;
    int runs = 0;
};

struct Window {
    TestEffect effect;
    TestEditor editor{&effect};
    ScriptedDialog dialog;
    CFrame* frame = nullptr;
    Window() {
        editor.open(nullptr);
        frame = editor.getFrame();
        frame->setFileDialogBackend(&dialog);
    }
};

}  // namespace

TEST(FileSelector, NeedsAFrame) { EXPECT_EQ(CNewFileSelector::create(nullptr), nullptr); }

TEST(FileSelector, TheDialogIsAskedForTheTitleDirectoryNameAndTypesAndReturnsOnePath) {
    Window w;
    w.dialog.answer = {"/music/masters/final.oka"};
    CNewFileSelector* selector = CNewFileSelector::create(w.frame, CNewFileSelector::kSelectSaveFile);
    selector->setTitle("Save preset");
    selector->setInitialDirectory("/music/masters");
    selector->setDefaultSaveName("final.oka");
    selector->addFileExtension(CFileExtension("All", "*"));
    selector->setDefaultExtension(CFileExtension("OKA Preset", "oka"));
    selector->addFileExtension(CFileExtension("OKA Preset", "oka"));  // already there: not twice
    ASSERT_TRUE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 1);
    EXPECT_STREQ(selector->getSelectedFile(0), "/music/masters/final.oka");
    EXPECT_EQ(selector->getSelectedFile(1), nullptr);
    const FileDialogRequest& r = w.dialog.request;
    EXPECT_EQ(r.style, FileDialogRequest::kSave);
    EXPECT_EQ(r.title, "Save preset");
    EXPECT_EQ(r.initialDirectory, "/music/masters");
    EXPECT_EQ(r.defaultSaveName, "final.oka");
    ASSERT_EQ(r.extensions.size(), 2u);
    EXPECT_EQ(r.extensions[0], CFileExtension("OKA Preset", "oka"));
    EXPECT_FALSE(r.allowMultiple);
    selector->forget();
}

TEST(FileSelector, ACancelledDialogOrAnEmptyAnswerSelectsNothing) {
    Window w;
    CNewFileSelector* selector = CNewFileSelector::create(w.frame);
    w.dialog.answer = {"/x.oka"};
    w.dialog.chosen = false;
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 0);
    w.dialog.chosen = true;
    w.dialog.answer = {""};
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(w.dialog.request.style, FileDialogRequest::kOpen);
    selector->forget();
}

TEST(FileSelector, WhileTheDialogIsUpTheHostGetsIdleTimeAndTheWindowIgnoresInput) {
    Window w;
    struct Probe : FileDialogBackend {
        CFrame* frame = nullptr;
        bool modalSeen = false;
        bool run(const FileDialogRequest& r, std::vector<std::string>& selected) override {
            modalSeen = frame->isInModalLoop();
            r.whileWaiting();
            selected = {"/a.okb"};
            return true;
        }
    } probe;
    probe.frame = w.frame;
    w.frame->setFileDialogBackend(&probe);
    CNewFileSelector* selector = CNewFileSelector::create(w.frame);
    EXPECT_TRUE(selector->runModal());
    EXPECT_TRUE(probe.modalSeen);
    EXPECT_FALSE(w.frame->isInModalLoop());
    EXPECT_EQ(countCalls(audioMasterIdle), 1);
    selector->forget();
}

TEST(FileSelector, TheSelectorKeepsItsFrameAliveWhenTheEditorClosesDuringTheDialog) {
    Window w;
    struct Closer : FileDialogBackend {
        AEffGUIEditor* editor = nullptr;
        bool run(const FileDialogRequest& r, std::vector<std::string>& selected) override {
            editor->close();  // the host closed the editor from its own message loop
            r.whileWaiting();
            selected = {"/late.oka"};
            return true;
        }
    } closer;
    closer.editor = &w.editor;
    w.frame->setFileDialogBackend(&closer);
    CNewFileSelector* selector = CNewFileSelector::create(w.frame);
    EXPECT_TRUE(selector->runModal());
    EXPECT_EQ(w.editor.getFrame(), nullptr);
    selector->forget();  // the last reference to the closed frame
}
