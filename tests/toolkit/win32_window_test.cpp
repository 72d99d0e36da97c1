// The editor's Win32 child window (run under wine): messages reach the controls, the window timer
// ticks, and rough hosts (parent destroyed first, open twice) neither crash nor leak a window.
// Skipped when no window can be created.
#include <gtest/gtest.h>

#include <windows.h>

#include "toolkit/buttons.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

namespace {

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"ToolkitTestHost";
        RegisterClassW(&cls);
        parent_ = CreateWindowExW(0, L"ToolkitTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        if (!parent_) GTEST_SKIP() << "no windows here";
        ShowWindow(parent_, SW_SHOW);
    }
    void TearDown() override {
        editor_.close();
        if (parent_) DestroyWindow(parent_);
    }
    HWND child() const { return static_cast<HWND>(editor_.getFrame()->getSystemWindow()); }
    // Dispatches this thread's messages for a while, as the host's message loop does.
    static void pump(DWORD ms) {
        const DWORD until = GetTickCount() + ms;
        MSG msg;
        while (static_cast<LONG>(until - GetTickCount()) > 0) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            Sleep(5);
        }
    }
    int childCount() const {
        int count = 0;
        for (HWND w = GetWindow(parent_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) ++count;
        return count;
    }

    HWND parent_ = nullptr;
    TestEffect effect_;
    TestEditor editor_{&effect_, CRect(0, 0, 200, 100)};
};

}  // namespace

TEST_F(Win32Window, AClickMessageTogglesTheButtonUnderItAndItsNewImageIsPainted) {
    COnOffButton* button = nullptr;
    editor_.build = [&button](CFrame* frame) { button = addStripButton(frame, CRect(10, 10, 60, 40)); };
    editor_.open(parent_);
    ASSERT_TRUE(editor_.getFrame()->isOpen());
    EXPECT_EQ(GetParent(child()), parent_);
    SendMessageW(child(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 25));
    SendMessageW(child(), WM_LBUTTONUP, 0, MAKELPARAM(30, 25));
    EXPECT_FLOAT_EQ(button->getValue(), 1.0f);
    SendMessageW(child(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 25));  // not for this button
    EXPECT_FLOAT_EQ(button->getValue(), 1.0f);
    editor_.idle();  // redraws the button into the framebuffer and asks for a paint
    pump(100);
    HDC dc = GetDC(child());
    const COLORREF shown = GetPixel(dc, 30, 25);
    ReleaseDC(child(), dc);
    const CColor lit = imageColor(1);
    EXPECT_EQ(shown, RGB(lit.red, lit.green, lit.blue));
}

TEST_F(Win32Window, TheWindowTimerTicksUntilStopped) {
    editor_.open(parent_);
    int ticks = 0;
    const int timer = editor_.getFrame()->startTimer(20, [&ticks] { ++ticks; });
    ASSERT_NE(timer, 0);
    pump(400);
    EXPECT_GE(ticks, 5);
    editor_.getFrame()->stopTimer(timer);
    const int stopped = ticks;
    pump(100);
    EXPECT_EQ(ticks, stopped);
}

TEST_F(Win32Window, ATimerTickMayCloseTheEditor) {
    editor_.open(parent_);
    editor_.getFrame()->startTimer(10, [this] { editor_.close(); });
    pump(100);
    EXPECT_EQ(editor_.getFrame(), nullptr);
    EXPECT_EQ(childCount(), 0);
}

TEST_F(Win32Window, AParentDestroyedFirstLeavesAClosedFrame) {
    editor_.open(parent_);
    DestroyWindow(parent_);
    parent_ = nullptr;
    EXPECT_FALSE(editor_.getFrame()->isOpen());
    editor_.getFrame()->setDirty();
    editor_.idle();
    editor_.close();
}

TEST_F(Win32Window, OpeningTwiceWithoutCloseLeavesOneChildWindow) {
    editor_.open(parent_);
    editor_.open(parent_);
    EXPECT_EQ(childCount(), 1);
    editor_.close();
    EXPECT_EQ(childCount(), 0);
}
