// A host for the built plug-in's editor in a real X11 window: a private Xvfb, a mapped host window of
// our own, the plug-in loaded through its entry point, clicks sent with xdotool and effEditIdle as the
// host's event pump. Tests derive from PluginWindowTest; they skip when Xvfb or xdotool is missing.
#pragma once

#include <gtest/gtest.h>

// Our headers before Xlib's, whose macros (None, Display) would clash with their names.
#include "hostlib/vst_host.h"
#include "tests/support/host_window.h"
#include "tests/support/loaded_plugin.h"
#include "tests/support/virtual_display.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

// The private server and the test host's own connection to it (none without xdotool to click there).
class PluginWindowDisplay {
public:
    PluginWindowDisplay()
        : display_(server_.running() && access("/usr/bin/xdotool", X_OK) == 0 ? XOpenDisplay(server_.name().c_str())
                                                                               : nullptr) {}
    ~PluginWindowDisplay() {
        if (display_) XCloseDisplay(display_);
    }
    PluginWindowDisplay(const PluginWindowDisplay&) = delete;
    PluginWindowDisplay& operator=(const PluginWindowDisplay&) = delete;

    Display* display() const { return display_; }
    std::string name() const { return server_.name(); }

private:
    VirtualDisplay server_{"1280x1024x24"};  // room for the editor at 200 % (1048 × 924)
    Display* display_;
};

class PluginWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server().display()) GTEST_SKIP() << "no Xvfb or xdotool";
        setenv("DISPLAY", server().name().c_str(), 1);  // the plug-in opens its own connection
        host = createMappedHostWindow(server().display());
        plugin.load();
    }
    void TearDown() override {
        plugin.instance.reset();
        if (host) XDestroyWindow(server().display(), host);
        if (server().display()) XSync(server().display(), False);
    }

    // One server for the whole test program.
    static PluginWindowDisplay& server() {
        static PluginWindowDisplay display;
        return display;
    }

    // The host's idle calls, every 20 ms, for about ms milliseconds.
    void pumpIdle(int ms) {
        for (int t = 0; t < ms; t += 20) {
            instance->dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // A click at (x, y) of the host window, which sits at the screen's top left corner.
    void click(int x, int y) {
        const std::string command = "DISPLAY=" + server().name() + " /usr/bin/xdotool mousemove " +
                                    std::to_string(x) + " " + std::to_string(y) + " click 1";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    // The pointer moved to (x, y) of the host window, no button pressed.
    void hover(int x, int y) {
        const std::string command = "DISPLAY=" + server().name() + " /usr/bin/xdotool mousemove " +
                                    std::to_string(x) + " " + std::to_string(y);
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    // A pixel of the host window as the X server shows it.
    unsigned long screenPixel(int x, int y) {
        XImage* image = XGetImage(server().display(), host, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    Window host = 0;
    LoadedPlugin plugin;
    std::unique_ptr<vsthost::Instance>& instance = plugin.instance;
};
