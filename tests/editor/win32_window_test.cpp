// The DLL's editor in a real Win32 window, as a Windows host shows it: a top-level host window, the
// built plug-in loaded through its entry point, effEditOpen into the host window, a mouse click posted to
// the editor's child window, and the host's message loop plus effEditIdle as the only pump. Skipped when
// no window can be created (wine without a display).
#include <gtest/gtest.h>

#include "engine/parameters.h"
#include "hostlib/vst_host.h"
#include "tests/support/loaded_plugin.h"

#include <windows.h>

#include <chrono>
#include <memory>

namespace {

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND createHostWindow() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = hostProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"ZarpaEditorTestHost";
    RegisterClassExW(&cls);
    HWND hwnd = CreateWindowExW(0, cls.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 540,
                                nullptr, nullptr, cls.hInstance, nullptr);
    return hwnd;
}

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override {
        host = createHostWindow();
        if (!host) GTEST_SKIP() << "no window can be created here (no display)";
        plugin.load();
    }
    void TearDown() override {
        plugin.instance.reset();
        if (host) DestroyWindow(host);
    }
    // The host's message loop and idle calls for about ms milliseconds.
    void pump(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            instance->dispatch(effEditIdle);
            Sleep(10);
        }
    }

    HWND host = nullptr;
    LoadedPlugin plugin;
    std::unique_ptr<vsthost::Instance>& instance = plugin.instance;
};

TEST_F(Win32Window, AClickOnThePowerButtonSwitchesTheEffectAndTellsTheHost) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host), 1);
    pump(200);
    HWND editor = GetWindow(host, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    RECT client{};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right - client.left, 524);
    EXPECT_EQ(client.bottom - client.top, 462);

    const bool before = instance->getParameter(zarpa::kPower) >= 0.5f;  // on
    instance->clearCalls();
    const LPARAM powerButton = MAKELPARAM(262, 417);
    PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, powerButton);
    PostMessageW(editor, WM_LBUTTONUP, 0, powerButton);
    pump(200);
    EXPECT_NE(instance->getParameter(zarpa::kPower) >= 0.5f, before);
    bool automated = false;
    for (const vsthost::HostCall& call : instance->calls())
        automated |= call.opcode == audioMasterAutomate && call.index == zarpa::kPower;
    EXPECT_TRUE(automated);

    instance->dispatch(effEditClose);
    pump(50);
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);  // the editor's window is gone with the close
}

TEST_F(Win32Window, OpeningTwiceWithoutACloseLeavesOneEditorWindow) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host), 1);
    pump(50);
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host), 1);
    pump(50);
    HWND first = GetWindow(host, GW_CHILD);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), nullptr);
    instance.reset();  // effClose with the window still open
    pump(0);
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
}

}  // namespace
