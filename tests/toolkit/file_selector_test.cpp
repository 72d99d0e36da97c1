// The file selector: what the dialog is asked, the answer delivered at a later idle of the frame, one
// dialog at a time, a dialog taken down with the window, and a modal dialog run without the lock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "toolkit/file_selector.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

namespace {

// A dialog the test ends by hand; its session tells the backend when it is taken down.
class ScriptedDialog : public FileDialogBackend {
public:
    struct Session : FileDialogSession {
        ScriptedDialog& owner;
        explicit Session(ScriptedDialog& o) : owner(o) {}
        ~Session() override { ++owner.takenDown; }
        bool finished(std::vector<std::string>& chosen) override {
            if (!owner.ended) return false;
            chosen = owner.answer;
            return true;
        }
    };
    std::unique_ptr<FileDialogSession> start(const FileDialogRequest& r) override {
        request = r;
        ++starts;
        if (!shows) return nullptr;
        return std::make_unique<Session>(*this);
    }
    FileDialogRequest request;
    std::vector<std::string> answer;
    bool shows = true;
    bool ended = false;
    int starts = 0;
    int takenDown = 0;
};

struct Window {
    ScriptedDialog dialog;  // outlives the editor, whose close takes a dialog still up down
    TestEffect effect;
    TestEditor editor{&effect};
    CFrame* frame = nullptr;
    Window() {
        editor.open(nullptr);
        frame = editor.getFrame();
        frame->setFileDialogBackend(&dialog);
    }
};

// Runs a selector made for the frame and counts the answers; the selector lives on in the answer.
struct Asked {
    int answers = 0;
    std::vector<std::string> files;
    CNewFileSelector::Callback callback() {
        return [this](CNewFileSelector* s) {
            ++answers;
            files.clear();
            for (int i = 0; i < s->getNumSelectedFiles(); ++i) files.emplace_back(s->getSelectedFile(i));
        };
    }
};

bool ask(CFrame* frame, Asked& asked, CNewFileSelector::Style style = CNewFileSelector::kSelectFile) {
    CNewFileSelector* selector = CNewFileSelector::create(frame, style);
    const bool up = selector->run(asked.callback());
    selector->forget();
    return up;
}

}  // namespace

TEST(FileSelector, NeedsAFrame) { EXPECT_EQ(CNewFileSelector::create(nullptr), nullptr); }

TEST(FileSelector, TheDialogIsAskedForTheTitleDirectoryNameAndTypes) {
    Window w;
    CNewFileSelector* selector = CNewFileSelector::create(w.frame, CNewFileSelector::kSelectSaveFile);
    selector->setTitle("Save preset");
    selector->setInitialDirectory("/music/masters");
    selector->setDefaultSaveName("final.oka");
    selector->addFileExtension(CFileExtension("All", "*"));
    selector->setDefaultExtension(CFileExtension("OKA Preset", "oka"));
    selector->addFileExtension(CFileExtension("OKA Preset", "oka"));  // already there: not twice
    Asked asked;
    ASSERT_TRUE(selector->run(asked.callback()));
    selector->forget();
    const FileDialogRequest& r = w.dialog.request;
    EXPECT_EQ(r.style, FileDialogRequest::kSave);
    EXPECT_EQ(r.title, "Save preset");
    EXPECT_EQ(r.initialDirectory, "/music/masters");
    EXPECT_EQ(r.defaultSaveName, "final.oka");
    ASSERT_EQ(r.extensions.size(), 2u);
    EXPECT_EQ(r.extensions[0], CFileExtension("OKA Preset", "oka"));
    EXPECT_FALSE(r.allowMultiple);
}

TEST(FileSelector, TheAnswerArrivesAtAnIdleAfterTheUserEndedTheDialogAndOnlyOnce) {
    Window w;
    Asked asked;
    ASSERT_TRUE(ask(w.frame, asked));
    EXPECT_TRUE(w.frame->isFileDialogOpen());
    w.frame->idle();
    EXPECT_EQ(asked.answers, 0);  // the user is still deciding; idle did not wait
    w.dialog.answer = {"/music/final.oka", ""};
    w.dialog.ended = true;
    EXPECT_EQ(asked.answers, 0);  // nothing happens between idles
    w.frame->idle();
    EXPECT_EQ(asked.answers, 1);
    EXPECT_EQ(asked.files, std::vector<std::string>{"/music/final.oka"});  // empty paths are dropped
    EXPECT_FALSE(w.frame->isFileDialogOpen());
    EXPECT_EQ(w.dialog.takenDown, 1);
    w.frame->idle();
    EXPECT_EQ(asked.answers, 1);
}

TEST(FileSelector, OneDialogAtATimeAndNoneWhenItCannotBeShown) {
    Window w;
    Asked first, second;
    ASSERT_TRUE(ask(w.frame, first));
    EXPECT_FALSE(ask(w.frame, second));  // the first is still up
    EXPECT_EQ(w.dialog.starts, 1);
    w.dialog.ended = true;  // cancelled: no files
    w.frame->idle();
    EXPECT_EQ(first.answers, 1);
    EXPECT_TRUE(first.files.empty());
    w.dialog.shows = false;  // no helper program, say
    EXPECT_FALSE(ask(w.frame, second));
    EXPECT_FALSE(w.frame->isFileDialogOpen());
    w.frame->idle();
    EXPECT_EQ(second.answers, 0);
}

TEST(FileSelector, AnAnswerMayPutUpTheNextDialog) {
    Window w;
    Asked next;
    int answers = 0;
    CNewFileSelector* selector = CNewFileSelector::create(w.frame);
    ASSERT_TRUE(selector->run([&](CNewFileSelector*) {
        ++answers;
        w.dialog.ended = false;
        EXPECT_TRUE(ask(w.frame, next));
    }));
    selector->forget();
    w.dialog.ended = true;
    w.frame->idle();
    EXPECT_EQ(answers, 1);
    EXPECT_TRUE(w.frame->isFileDialogOpen());
}

TEST(FileSelector, ClosingTheWindowTakesTheDialogDownUnanswered) {
    Window w;
    Asked asked;
    ASSERT_TRUE(ask(w.frame, asked));
    w.frame->remember();  // the test's own look at the closed frame
    CFrame* frame = w.frame;
    w.editor.close();
    EXPECT_EQ(w.dialog.takenDown, 1);
    w.dialog.ended = true;
    frame->idle();
    EXPECT_EQ(asked.answers, 0);
    frame->forget();
}

// The DLL's dialog runs its own message loop inside start. Meanwhile the host's other threads must be able
// to take the editor's lock (a chunk call), though the click that opened the dialog held it.
TEST(FileSelector, AModalDialogRunsWithTheLockLetGoAndTakenBackAfter) {
    Window w;
    struct Modal : FileDialogBackend {
        std::shared_ptr<platform::UiLock> lock;
        bool otherThreadGotIt = false;
        bool isModal() const override { return true; }
        std::unique_ptr<FileDialogSession> start(const FileDialogRequest&) override {
            std::thread([&] {
                if (lock->try_lock()) {
                    otherThreadGotIt = true;
                    lock->unlock();
                }
            }).join();
            return answeredSession({"/chosen.okb"});
        }
    } modal;
    modal.lock = w.editor.getUiLock();
    w.frame->setFileDialogBackend(&modal);
    Asked asked;
    {
        AEffGUIEditor::UiTurn outer(w.editor, AEffGUIEditor::UiTurn::kWait);
        AEffGUIEditor::UiTurn inner(w.editor, AEffGUIEditor::UiTurn::kWait);
        ASSERT_TRUE(ask(w.frame, asked));
        EXPECT_TRUE(w.editor.getUiLock()->isHeldByThisThread());
    }
    EXPECT_TRUE(modal.otherThreadGotIt);
    EXPECT_FALSE(w.editor.getUiLock()->isHeldByThisThread());  // taken back exactly as deeply
    w.frame->idle();
    EXPECT_EQ(asked.files, std::vector<std::string>{"/chosen.okb"});
}

TEST(FileSelector, AWindowClosedWhileAModalDialogWasUpGetsNoAnswer) {
    Window w;
    struct Closer : FileDialogBackend {
        AEffGUIEditor* editor = nullptr;
        bool isModal() const override { return true; }
        std::unique_ptr<FileDialogSession> start(const FileDialogRequest&) override {
            editor->close();  // the host closed the editor from inside the dialog's message loop
            return answeredSession({"/late.oka"});
        }
    } closer;
    closer.editor = &w.editor;
    w.frame->setFileDialogBackend(&closer);
    CFrame* frame = w.frame;
    frame->remember();
    Asked asked;
    EXPECT_FALSE(ask(frame, asked));
    frame->idle();
    EXPECT_EQ(asked.answers, 0);
    EXPECT_EQ(w.editor.getFrame(), nullptr);
    frame->forget();  // the last reference to the closed frame
}
