// Shared set-up of the editor tests: a Plugin whose host callback records every call, its editor opened
// on a headless frame (no native window), a clock the test moves by hand, and synthetic mouse and key
// events delivered through the frame as a window would deliver them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/control_layout.h"
#include "editor/editor.h"
#include "editor/my_frame.h"
#include "plugin/plugin.h"
#ifdef _WIN32
#include "tests/windows/user_root.h"
#else
#include "tests/foundation/temp_config.h"
#endif

namespace zarpa::testing {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    float opt;
};

// One recording host for the whole test program (tests run one at a time).
inline std::vector<HostCall>& hostCalls() {
    static std::vector<HostCall> calls;
    return calls;
}
// Whether the recording host says it can resize the editor's window (audioMasterCanDo "sizeWindow").
inline bool& hostCanSizeWindow() {
    static bool can = false;
    return can;
}
inline VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterCanDo)
        return hostCanSizeWindow() && ptr && std::string_view(static_cast<const char*>(ptr)) == "sizeWindow" ? 1 : 0;
    hostCalls().push_back({opcode, index, opt});
    return 0;
}
inline std::vector<HostCall> callsWith(VstInt32 opcode) {
    std::vector<HostCall> found;
    for (const HostCall& call : hostCalls())
        if (call.opcode == opcode) found.push_back(call);
    return found;
}

// The test's clock: idle, flash and ballistics run on it.
inline std::uint32_t& fakeNow() {
    static std::uint32_t now = 100000;
    return now;
}
inline std::uint32_t fakeTick() { return fakeNow(); }

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostCalls().clear();
        hostCanSizeWindow() = false;
        fakeNow() = 100000;
        plugin = std::make_unique<Plugin>(&recordingHost);
        editor().setTickSource(&fakeTick);
        ASSERT_TRUE(editor().open(nullptr));
        frame = editor().getMyFrame();
        ASSERT_NE(frame, nullptr);
        hostCalls().clear();
    }
    void TearDown() override {
        plugin.reset();
        hostCalls().clear();
    }

    Editor& editor() { return *static_cast<Editor*>(plugin->getEditor()); }

    // The view of a class (by its type query) and tag, searched in the frame's views.
    template <typename T>
    T* find(const char* type, int tag) {
        for (int i = 0; i < frame->getNbViews(); ++i) {
            auto* control = dynamic_cast<CControl*>(frame->getView(i));
            if (control && control->isTypeOf(type) && control->getTag() == tag) return dynamic_cast<T*>(control);
        }
        return nullptr;
    }

    void press(CCoord x, CCoord y, CButtonState buttons = kLButton) {
        CPoint where(x, y);
        frame->onMouseDown(where, buttons);
        frame->onMouseUp(where, buttons & ~kMouseButtons);
    }
    // A click in the middle of a rectangle of the window table.
    void pressOn(const window::Rect& r, CButtonState buttons = kLButton) { press(r.centreX(), r.centreY(), buttons); }
    void drag(CPoint from, CPoint to, CButtonState buttons = kLButton) {
        frame->onMouseDown(from, buttons);
        frame->onMouseMoved(to, buttons);
        frame->onMouseUp(to, 0);
    }
    void typeText(const char* text) {
        for (; *text; ++text) {
            CKeyCode key{*text, 0, 0};
            frame->onKeyDown(key);
        }
        CKeyCode enter{0, VKEY_RETURN, 0};
        frame->onKeyDown(enter);
    }
    void idleAfter(std::uint32_t ms) {
        fakeNow() += ms;
        editor().idle();
    }

#ifdef _WIN32
    zarpa_test::ScopedUserRoot config;  // an empty HKEY_CURRENT_USER of the test's own
#else
    TempConfigHome config;
#endif
    std::unique_ptr<Plugin> plugin;
    MyFrame* frame = nullptr;
};

}  // namespace zarpa::testing
