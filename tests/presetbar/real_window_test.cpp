// The preset bar in a real X11 window: a private Xvfb, a host window of our own, the built plug-in opened
// into it through its entry point, clicks on the rocker sent with xdotool and effEditIdle as the only
// event pump; the host reads the program name back through effGetProgramName. Skipped without Xvfb or
// xdotool.
#include <gtest/gtest.h>

// Our headers before Xlib's, whose macros would clash with their names.
#include "hostlib/vst_host.h"
#include "tests/support/host_window.h"
#include "tests/support/virtual_display.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// The private server, the test host's own connection to it, and whether xdotool can click there.
struct Xvfb {
    Xvfb()
        : display(server.running() && access("/usr/bin/xdotool", X_OK) == 0 ? XOpenDisplay(server.name().c_str())
                                                                             : nullptr),
          number(server.name().empty() ? std::string() : server.name().substr(1)) {}
    ~Xvfb() {
        if (display) XCloseDisplay(display);
    }
    VirtualDisplay server{"640x480x24"};
    Display* display;
    std::string number;
};

class PresetBarWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.display) GTEST_SKIP() << "no Xvfb or xdotool";
        setenv("DISPLAY", (":" + server.number).c_str(), 1);
        Display* d = server.display;
        host = createMappedHostWindow(d);
        library = std::make_unique<vsthost::Library>(vsthost::defaultPluginPath());
        ASSERT_TRUE(library->ok()) << library->error();
        instance = std::make_unique<vsthost::Instance>(*library);
        ASSERT_TRUE(instance->ok());
    }
    void TearDown() override {
        instance.reset();
        if (host) XDestroyWindow(server.display, host);
        if (server.display) XSync(server.display, False);
    }
    void pumpIdle(int ms) {
        for (int t = 0; t < ms; t += 20) {
            instance->dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    void click(int x, int y) {
        const std::string command = "DISPLAY=:" + server.number + " /usr/bin/xdotool mousemove " + std::to_string(x) +
                                    " " + std::to_string(y) + " click 1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        pumpIdle(120);
    }
    std::string programName(VstInt32 opcode = effGetProgramName, int index = 0) {
        char name[64] = {};
        if (opcode == effGetProgramNameIndexed)
            instance->dispatch(opcode, index, 0, name);
        else
            instance->dispatch(opcode, 0, 0, name);
        return name;
    }

    static Xvfb server;
    Window host = 0;
    std::unique_ptr<vsthost::Library> library;
    std::unique_ptr<vsthost::Instance> instance;
};

Xvfb PresetBarWindow::server;

TEST_F(PresetBarWindow, RockerClicksStepProgramsAndTheHostSeesTheName) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    pumpIdle(200);
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 0));

    click(362, 453);  // the rocker's right half (340, 447, 370, 460)
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 1));
    click(362, 453);
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 2));
    click(346, 453);  // left half
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 1));

    // A name given by the host while the window is open stays with the program as the user moves on.
    char name[] = "From the host";
    instance->dispatch(effSetProgramName, 0, 0, name);
    pumpIdle(60);
    click(362, 453);
    click(346, 453);
    EXPECT_EQ(programName(), "From the host");

    instance->dispatch(effEditClose);
    pumpIdle(40);
}

// The bar's 50 ms timer drives the same idle as the host: with no effEditIdle at all, rocker clicks still
// step the programs, and the host's name calls take turns with the timer thread.
TEST_F(PresetBarWindow, WithoutHostIdleTheBarsOwnTimerStepsPrograms) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::string second = programName(effGetProgramNameIndexed, 1);
    const std::string command = "DISPLAY=:" + server.number + " /usr/bin/xdotool mousemove 362 453 click 1";
    ASSERT_EQ(std::system(command.c_str()), 0);  // the rocker's right half
    for (int i = 0; i < 200 && programName() != second; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(programName(), second);
    instance->dispatch(effEditClose);
}

}  // namespace
