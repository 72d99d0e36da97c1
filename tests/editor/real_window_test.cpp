// The editor in a real X11 window, as a host shows it: a private Xvfb, a host window of our own, the
// built plug-in loaded through its entry point, the editor opened with effEditOpen into the host window,
// a click sent with xdotool, and effEditIdle as the only event pump. Skipped when Xvfb or xdotool is
// missing.
#include <gtest/gtest.h>

// Our headers before Xlib's, whose macros (None, Display) would clash with their names.
#include "engine/parameters.h"
#include "hostlib/vst_host.h"
#include "resources/resources.h"
#include "tests/support/host_window.h"
#include "tests/support/virtual_display.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// The private server and the test host's own connection to it.
class HostDisplay {
public:
    HostDisplay() : display_(server_.running() ? XOpenDisplay(server_.name().c_str()) : nullptr) {}
    ~HostDisplay() {
        if (display_) XCloseDisplay(display_);
    }
    HostDisplay(const HostDisplay&) = delete;
    HostDisplay& operator=(const HostDisplay&) = delete;

    Display* display() const { return display_; }
    std::string name() const { return server_.name(); }

private:
    VirtualDisplay server_;
    Display* display_;
};

bool haveXdotool() { return access("/usr/bin/xdotool", X_OK) == 0; }

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.display()) GTEST_SKIP() << "no Xvfb";
        if (!haveXdotool()) GTEST_SKIP() << "no xdotool";
        setenv("DISPLAY", server.name().c_str(), 1);  // the plug-in opens its own connection
        Display* d = server.display();
        host = createMappedHostWindow(d);
        library = std::make_unique<vsthost::Library>(vsthost::defaultPluginPath());
        ASSERT_TRUE(library->ok()) << library->error();
        instance = std::make_unique<vsthost::Instance>(*library);
        ASSERT_TRUE(instance->ok());
    }
    void TearDown() override {
        instance.reset();
        if (host) XDestroyWindow(server.display(), host);
        if (server.display()) XSync(server.display(), False);
    }

    // The host's idle calls, every 20 ms, for about ms milliseconds.
    void pumpIdle(int ms) {
        for (int t = 0; t < ms; t += 20) {
            instance->dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    void click(int x, int y) {
        const std::string command = "DISPLAY=" + server.name() + " /usr/bin/xdotool mousemove " + std::to_string(x) +
                                    " " + std::to_string(y) + " click 1";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    // A pixel of the host window as the X server shows it.
    unsigned long screenPixel(int x, int y) {
        XImage* image = XGetImage(server.display(), host, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    static HostDisplay server;
    Window host = 0;
    std::unique_ptr<vsthost::Library> library;
    std::unique_ptr<vsthost::Instance> instance;
};

HostDisplay RealWindow::server;

TEST_F(RealWindow, AClickOnThePowerButtonSwitchesTheEffectAndTellsTheHost) {
    ERect* rect = nullptr;
    ASSERT_EQ(instance->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 524);
    EXPECT_EQ(rect->bottom - rect->top, 462);

    const float before = instance->getParameter(zarpa::kPower);
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    pumpIdle(200);

    // The window shows the editor: a corner of the panel is the background bitmap's pixel.
    const resources::ResourceBitmap* background = resources::findBitmap(128);
    ASSERT_NE(background, nullptr);
    const std::uint8_t* rgb = background->rgb + 3 * (5 * background->width + 5);
    EXPECT_EQ(screenPixel(5, 5), (unsigned long){(rgb[0] * 65536u) + (rgb[1] * 256u) + rgb[2]});

    instance->clearCalls();
    click(262, 417);  // the Power button (245, 400, 280, 435)
    pumpIdle(200);
    EXPECT_NE(zarpa::valueToStep(instance->getParameter(zarpa::kPower), 2), zarpa::valueToStep(before, 2));
    bool automated = false;
    for (const vsthost::HostCall& call : instance->calls())
        automated |= call.opcode == audioMasterAutomate && call.index == zarpa::kPower;
    EXPECT_TRUE(automated);

    instance->dispatch(effEditClose);
    pumpIdle(40);
}

TEST_F(RealWindow, AnOpenIntoAWindowThatDoesNotExistFailsAndTheNextOpenWorks) {
    Window gone = XCreateSimpleWindow(server.display(), host, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(server.display(), gone);
    XSync(server.display(), False);
    EXPECT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(gone)), 0);
    instance->dispatch(effEditIdle);
    EXPECT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    pumpIdle(40);
    instance->dispatch(effEditClose);
}

TEST_F(RealWindow, ParametersFromAnotherThreadWhileTheWindowOpensAndClosesAreSafe) {
    std::atomic<bool> running{true};
    std::thread automation([&] {
        for (int i = 0; running.load(); ++i) {
            instance->effect()->setParameter(instance->effect(), i % zarpa::kEffectParamCount,
                                             static_cast<float>(i % 10) / 10.0f);
            if (i % 32 == 0) std::this_thread::yield();
        }
    });
    for (int round = 0; round < 5; ++round) {
        EXPECT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
        pumpIdle(60);
        instance->dispatch(effEditClose);
    }
    running = false;
    automation.join();
}

// A host that stops calling effEditIdle (its GUI thread busy elsewhere) still has a live editor: the
// window's own 50 ms timer reads the click and tells the host, and the host's later calls take turns with it.
TEST_F(RealWindow, WithoutHostIdleTheEditorsOwnTimerHandlesAClick) {
    const float before = instance->getParameter(zarpa::kPower);
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    instance->clearCalls();
    click(262, 417);  // the Power button
    auto switched = [&] {
        return zarpa::valueToStep(instance->getParameter(zarpa::kPower), 2) != zarpa::valueToStep(before, 2);
    };
    for (int i = 0; i < 200 && !switched(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(switched());
    bool automated = false;
    for (const vsthost::HostCall& call : instance->calls())
        automated |= call.opcode == audioMasterAutomate && call.index == zarpa::kPower;
    EXPECT_TRUE(automated);

    // The host comes back: idle, program names and chunks meet the timer thread in the editor's turn.
    for (int i = 0; i < 20; ++i) {
        instance->dispatch(effEditIdle);
        char name[32] = "Renamed";
        instance->dispatch(effSetProgramName, 0, 0, name);
        instance->setChunk(instance->getChunk());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(instance->programName(), "Renamed");
    instance->dispatch(effEditClose);
}

}  // namespace
