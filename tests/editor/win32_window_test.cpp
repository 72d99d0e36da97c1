// The DLL's editor in a real Win32 window, as a Windows host shows it: a top-level host window, the
// built plug-in loaded through its entry point, effEditOpen into the host window, a mouse click posted to
// the editor's child window, and the host's message loop plus effEditIdle as the only pump. Skipped when
// no window can be created (wine without a display).
#include <gtest/gtest.h>

#include "engine/parameters.h"
#include "layout/window_layout.h"
#include "hostlib/vst_host.h"
#include "tests/support/loaded_plugin.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

namespace window = zarpa::window;
constexpr window::Rect kPower = window::control(window::ControlKind::ToggleButton, zarpa::kPower).rect;
constexpr window::Rect kBits = window::control(window::ControlKind::Bits).rect;
constexpr window::Rect kLoadPreset = window::presetBarControl(window::kLoadPresetTag).rect;

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
    EXPECT_EQ(client.right - client.left, zarpa::window::kWidth);
    EXPECT_EQ(client.bottom - client.top, zarpa::window::kHeight);

    const bool before = instance->getParameter(zarpa::kPower) >= 0.5f;  // on
    instance->clearCalls();
    const LPARAM powerButton = MAKELPARAM(kPower.centreX(), kPower.centreY());
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

// A click gives the editor the keyboard (the arrow keys then reach its knobs); when the pointer leaves,
// the keyboard goes back to the window that had it.
TEST_F(Win32Window, AClickTakesTheKeyboardAndLeavingGivesItBack) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host), 1);
    pump(100);
    HWND editor = GetWindow(host, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    SetFocus(host);
    const LPARAM panel = MAKELPARAM(5, 5);  // the bare panel: nothing there reacts to a click
    PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, panel);
    PostMessageW(editor, WM_LBUTTONUP, 0, panel);
    pump(100);
    EXPECT_EQ(GetFocus(), editor);
    PostMessageW(editor, WM_MOUSELEAVE, 0, 0);
    pump(100);
    EXPECT_EQ(GetFocus(), host);
    instance->dispatch(effEditClose);
    pump(50);
}

// The system's file dialog is modal and runs its own message loop on the host's GUI thread. While the
// user leaves it up, the host's timer keeps calling effEditIdle from that loop and a worker thread saves
// the state: neither waits for the user (the editor's lock is let go while the dialog runs).
struct DialogWatch {
    vsthost::Instance* instance = nullptr;
    std::chrono::steady_clock::duration longestIdle{};
    int idleCalls = 0;
};
DialogWatch* watch = nullptr;

void CALLBACK hostIdleTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!watch) return;
    const auto start = std::chrono::steady_clock::now();
    watch->instance->dispatch(effEditIdle);
    watch->longestIdle = std::max(watch->longestIdle, std::chrono::steady_clock::now() - start);
    ++watch->idleCalls;
}

TEST_F(Win32Window, TheModalFileDialogKeepsNoHostThreadWaiting) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host), 1);
    pump(200);
    HWND editor = GetWindow(host, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    char before[64] = {};
    instance->dispatch(effGetProgramName, 0, 0, before);

    std::chrono::steady_clock::duration longestChunk{};
    bool dialogSeen = false;
    int idleCallsBeforeCancel = 0;
    DialogWatch seen;
    seen.instance = instance.get();
    std::thread worker([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 1000 && !dialog; ++i) {
            dialog = FindWindowW(nullptr, L"Load preset");
            if (!dialog) Sleep(10);
        }
        if (!dialog) return;
        dialogSeen = true;
        Sleep(300);  // the user looks around
        for (int round = 0; round < 10; ++round) {
            void* data = nullptr;
            const auto start = std::chrono::steady_clock::now();
            instance->dispatch(effGetChunk, 0, 0, &data);
            longestChunk = std::max(longestChunk, std::chrono::steady_clock::now() - start);
            Sleep(20);
        }
        idleCallsBeforeCancel = seen.idleCalls;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    watch = &seen;
    const UINT_PTR timer = SetTimer(host, 1, 20, hostIdleTimer);
    const LPARAM loadPreset = MAKELPARAM(kLoadPreset.centreX(), kLoadPreset.centreY());
    PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, loadPreset);
    PostMessageW(editor, WM_LBUTTONUP, 0, loadPreset);
    pump(400);  // the click's dispatch runs the dialog until the worker cancels it
    for (int i = 0; i < 1000 && FindWindowW(nullptr, L"Load preset"); ++i) pump(10);
    worker.join();
    KillTimer(host, timer);
    watch = nullptr;
    pump(100);

    ASSERT_TRUE(dialogSeen) << "the system's dialog never came up";
    using Ms = std::chrono::duration<double, std::milli>;
    std::printf("with the dialog up: longest effGetChunk %.2f ms, longest effEditIdle %.2f ms, %d idle calls\n",
                Ms(longestChunk).count(), Ms(seen.longestIdle).count(), idleCallsBeforeCancel);
    EXPECT_GE(idleCallsBeforeCancel, 3);  // the host's idle went on inside the dialog's loop
    EXPECT_LT(longestChunk, std::chrono::milliseconds(50));
    EXPECT_LT(seen.longestIdle, std::chrono::milliseconds(200));
    char after[64] = {};
    instance->dispatch(effGetProgramName, 0, 0, after);
    EXPECT_STREQ(after, before);  // cancelled: nothing changed
    instance->dispatch(effEditClose);
    pump(50);
}

// The DLL's editor at 150 % and 200 %, chosen by the host's content-scale hint (nothing is stored in
// the test's fresh registry): the child window has the scaled size and clicks at the scaled places of
// Power and Bits land on the same values as at 100 %.
TEST_F(Win32Window, AtEachLargerSizeClicksOnPowerAndBitsLandAsAt100) {
    constexpr VstInt32 kPreS = 0x50726553;
    constexpr VstIntPtr kAeCs = 0x41654373;
    for (const int percent : {150, 200}) {
        const auto device = [percent](int v) { return v * percent / 100; };
        ASSERT_EQ(instance->dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, percent / 100.0f), 1);
        ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host), 1);
        pump(200);
        HWND editor = GetWindow(host, GW_CHILD);
        ASSERT_NE(editor, nullptr);
        RECT client{};
        GetClientRect(editor, &client);
        EXPECT_EQ(client.right - client.left, device(524)) << percent;
        EXPECT_EQ(client.bottom - client.top, device(462)) << percent;

        // The word length's step (three steps), computed here: this program links only the host side.
        const auto bitsStep = [this] { return std::min(static_cast<int>(instance->getParameter(zarpa::kBits) * 3), 2); };
        const bool power = instance->getParameter(zarpa::kPower) >= 0.5f;
        const int bits = bitsStep();
        for (const LPARAM at : {MAKELPARAM(device(kPower.centreX()), device(kPower.centreY())),
                                MAKELPARAM(device(kBits.centreX()), device(kBits.centreY()))}) {
            PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(editor, WM_LBUTTONUP, 0, at);
            pump(150);
        }
        EXPECT_NE(instance->getParameter(zarpa::kPower) >= 0.5f, power) << percent;
        EXPECT_EQ(bitsStep(), (bits + 1) % 3) << percent;
        instance->dispatch(effEditClose);
        pump(50);
    }
}

}  // namespace
