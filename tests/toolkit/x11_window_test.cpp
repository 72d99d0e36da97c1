// The editor's X11 child window under a private Xvfb server: clicks and keys sent with XTest reach the
// controls, pixels reach the screen, and rough hosts (parent destroyed first, open twice, a bad
// parent window) neither crash nor leak a window. Skipped when no Xvfb can be started.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/virtual_display.h"
#include "toolkit/buttons.h"
#include "toolkit/text_edit.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

namespace {

// One Xvfb for the whole test program; DISPLAY points at it.
class PrivateServer {
public:
    static PrivateServer& get() {
        static PrivateServer server;
        return server;
    }
    bool running() const { return server_.running(); }

private:
    PrivateServer() {
        if (server_.running()) setenv("DISPLAY", server_.name().c_str(), 1);
    }
    VirtualDisplay server_{"640x480x24"};
};

int hostErrors = 0;
int countingHostHandler(Display*, XErrorEvent*) {
    ++hostErrors;
    return 0;
}

// Records the button state of every press it gets.
class PressProbe : public CView {
public:
    using CView::CView;
    CMouseEventResult onMouseDown(CPoint&, const CButtonState& buttons) override {
        presses.push_back(buttons);
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    std::vector<CButtonState> presses;
};

class X11Window : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PrivateServer::get().running()) GTEST_SKIP() << "no Xvfb";
        host_ = XOpenDisplay(nullptr);
        ASSERT_NE(host_, nullptr);
        parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 0, 0, 300, 200, 0, 0, 0);
        XMapWindow(host_, parent_);
        XSync(host_, False);
    }
    void TearDown() override {
        editor_.close();
        if (host_) {
            if (parent_) XDestroyWindow(host_, parent_);
            XCloseDisplay(host_);
        }
    }
    void* parentHandle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent_)); }
    ::Window child() const {
        return static_cast<::Window>(reinterpret_cast<std::uintptr_t>(editor_.getFrame()->getSystemWindow()));
    }
    // Runs the editor's idle until the condition holds (at most about two seconds).
    template <typename F>
    bool idleUntil(F condition) {
        for (int i = 0; i < 200; ++i) {
            XSync(host_, False);
            editor_.idle();
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    bool viewable() {
        XWindowAttributes a;
        return XGetWindowAttributes(host_, child(), &a) && a.map_state == IsViewable;
    }
    void clickAt(int x, int y) {
        XTestFakeMotionEvent(host_, DefaultScreen(host_), x, y, CurrentTime);
        XTestFakeButtonEvent(host_, 1, True, CurrentTime);
        XTestFakeButtonEvent(host_, 1, False, CurrentTime);
        XSync(host_, False);
    }
    int childCount() {
        ::Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(host_, parent_, &root, &parent, &children, &count);
        if (children) XFree(children);
        return static_cast<int>(count);
    }

    Display* host_ = nullptr;
    ::Window parent_ = 0;
    TestEffect effect_;
    TestEditor editor_{&effect_, CRect(0, 0, 200, 100)};
};

}  // namespace

TEST_F(X11Window, AClickOnTheScreenTogglesTheButtonUnderItAndThePixelsReachTheWindow) {
    COnOffButton* button = nullptr;
    editor_.build = [&button](CFrame* frame) { button = addStripButton(frame, CRect(10, 10, 60, 40)); };
    editor_.open(parentHandle());
    ASSERT_TRUE(editor_.getFrame()->isOpen());
    ASSERT_TRUE(idleUntil([&] { return viewable(); }));
    clickAt(30, 25);
    ASSERT_TRUE(idleUntil([&] { return button->getValue() == 1.0f; }));
    EXPECT_EQ(imageAt(*editor_.getFrame()->getBackBuffer(), 30, 25), 1);
    // Our connection's drawing and this one's reading are not ordered: look until it shows.
    const unsigned long wanted = toPixel(imageColor(1)) & 0xFFFFFF;
    unsigned long seen = 0;
    idleUntil([&] {
        XImage* shot = XGetImage(host_, child(), 30, 25, 1, 1, AllPlanes, ZPixmap);
        if (!shot) return false;
        seen = XGetPixel(shot, 0, 0) & 0xFFFFFF;
        XDestroyImage(shot);
        return seen == wanted;
    });
    EXPECT_EQ(seen, wanted);
}

TEST_F(X11Window, TwoQuickPressesMakeADoubleClick) {
    PressProbe* probe = nullptr;
    editor_.build = [&probe](CFrame* frame) {
        probe = new PressProbe(CRect(0, 0, 100, 100));
        frame->addView(probe);
    };
    editor_.open(parentHandle());
    ASSERT_TRUE(idleUntil([&] { return viewable(); }));
    clickAt(20, 20);
    clickAt(20, 20);
    ASSERT_TRUE(idleUntil([&] { return probe->presses.size() == 2; }));
    EXPECT_EQ(probe->presses[0], kLButton);
    EXPECT_EQ(probe->presses[1], kLButton | kDoubleClick);
}

TEST_F(X11Window, AClickedTextFieldTakesTheKeyboard) {
    CTextEdit* field = nullptr;
    editor_.build = [&field](CFrame* frame) {
        field = new CTextEdit(CRect(10, 10, 150, 24), nullptr, 1, "old");
        frame->addView(field);
    };
    editor_.open(parentHandle());
    ASSERT_TRUE(idleUntil([&] { return viewable(); }));
    clickAt(50, 15);
    ASSERT_TRUE(idleUntil([&] { return field->isInPlaceEditing(); }));
    for (KeySym key : {XK_n, XK_e, XK_w, XK_Return}) {
        const KeyCode code = XKeysymToKeycode(host_, key);
        XTestFakeKeyEvent(host_, code, True, CurrentTime);
        XTestFakeKeyEvent(host_, code, False, CurrentTime);
    }
    ASSERT_TRUE(idleUntil([&] { return !field->isInPlaceEditing(); }));
    EXPECT_EQ(field->getText(), "new");
}

TEST_F(X11Window, AParentDestroyedFirstLeavesAClosedFrameAndNoFatalError) {
    editor_.open(parentHandle());
    ASSERT_TRUE(idleUntil([&] { return viewable(); }));
    XDestroyWindow(host_, parent_);
    parent_ = 0;
    ASSERT_TRUE(idleUntil([&] { return !editor_.getFrame()->isOpen(); }));
    editor_.getFrame()->setDirty();
    editor_.idle();  // nothing is drawn into the dead window
    editor_.close();
}

TEST_F(X11Window, ClosingRightAfterTheParentDiedIsNotFatalEither) {
    editor_.open(parentHandle());
    XSync(host_, False);
    XDestroyWindow(host_, parent_);
    parent_ = 0;
    XSync(host_, False);
    editor_.close();  // destroys a window the server already destroyed: BadWindow, caught
}

TEST_F(X11Window, OpeningTwiceWithoutCloseLeavesOneChildWindow) {
    editor_.open(parentHandle());
    editor_.open(parentHandle());
    XSync(host_, False);
    EXPECT_EQ(editor_.framesMade, 2);
    EXPECT_EQ(childCount(), 1);
    editor_.close();
    XSync(host_, False);
    EXPECT_EQ(childCount(), 0);
}

TEST_F(X11Window, ABadParentGivesAFrameWithoutWindowAndHostErrorsStillReachTheHost) {
    hostErrors = 0;
    XErrorHandler before = XSetErrorHandler(&countingHostHandler);
    editor_.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x3FFFFFF)));
    EXPECT_FALSE(editor_.getFrame()->isOpen());
    editor_.close();
    editor_.open(parentHandle());
    ASSERT_TRUE(editor_.getFrame()->isOpen());
    XDestroyWindow(host_, 0x3FFFFFE);  // an error on the host's own connection
    XSync(host_, False);
    EXPECT_EQ(hostErrors, 1);
    editor_.close();
    EXPECT_EQ(XSetErrorHandler(before), &countingHostHandler);  // ours is gone again
}

// The window's own timer: on Linux the host's idle calls are the only other way the editor runs, so the
// timer ticks on a thread of its own and takes turns with the host through the editor's lock.
TEST_F(X11Window, TheTimerTicksOnItsOwnThreadInTheEditorsTurnUntilStopped) {
    editor_.open(parentHandle());
    std::atomic<int> ticks{0};
    std::atomic<bool> allInTurn{true};
    std::atomic<bool> allOffThisThread{true};
    const std::thread::id testThread = std::this_thread::get_id();
    const int timer = editor_.getFrame()->startTimer(20, [&] {
        if (!editor_.getUiLock()->isHeldByThisThread()) allInTurn = false;
        if (std::this_thread::get_id() == testThread || !toolkit::onWindowTimerThread()) allOffThisThread = false;
        ++ticks;
    });
    ASSERT_NE(timer, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // no idle from the host meanwhile
    EXPECT_GE(ticks.load(), 5);
    EXPECT_TRUE(allInTurn);
    EXPECT_TRUE(allOffThisThread);
    editor_.getFrame()->stopTimer(timer);
    const int stopped = ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ticks.load(), stopped);
}

TEST_F(X11Window, ATimerTickMayCloseTheEditor) {
    editor_.open(parentHandle());
    std::atomic<bool> closed{false};
    editor_.getFrame()->startTimer(10, [&] {
        editor_.close();
        closed = true;
    });
    for (int i = 0; i < 200 && !closed; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(closed);
    EXPECT_EQ(editor_.getFrame(), nullptr);
    // The window itself goes when the tick that closed it has unwound, on the timer's thread.
    for (int i = 0; i < 200 && childCount() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(childCount(), 0);
}

TEST_F(X11Window, WithoutAnyHostIdleTheTimerStillHandlesClicksAndDraws) {
    COnOffButton* button = nullptr;
    editor_.build = [&button](CFrame* frame) { button = addStripButton(frame, CRect(10, 10, 60, 40)); };
    editor_.open(parentHandle());
    editor_.getFrame()->startTimer(50, [this] { editor_.idle(); });
    auto waitFor = [this](auto condition) {
        for (int i = 0; i < 200; ++i) {
            XSync(host_, False);
            {
                std::lock_guard<platform::UiLock> turn(*editor_.getUiLock());
                if (condition()) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    };
    ASSERT_TRUE(waitFor([&] { return viewable(); }));
    clickAt(30, 25);
    ASSERT_TRUE(waitFor([&] { return button->getValue() == 1.0f; }));
    ASSERT_TRUE(waitFor([&] { return imageAt(*editor_.getFrame()->getBackBuffer(), 30, 25) == 1; }));
}

// Hosts idle, open, close and reopen the window from their GUI thread while our timer thread runs it.
TEST_F(X11Window, HostCallsAndTheTimerThreadTakeTurnsThroughOpenIdleAndClose) {
    std::atomic<int> ticks{0};
    for (int round = 0; round < 15; ++round) {
        editor_.open(parentHandle());
        ASSERT_NE(editor_.getFrame(), nullptr);
        editor_.getFrame()->startTimer(1, [&] {
            editor_.idle();
            ++ticks;
        });
        for (int i = 0; i < 5; ++i) {
            editor_.getFrame()->setDirty();
            editor_.idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (round % 3 == 0) continue;  // opened again without a close
        editor_.close();
    }
    editor_.close();
    EXPECT_GT(ticks.load(), 0);
    XSync(host_, False);
    EXPECT_EQ(childCount(), 0);
}
