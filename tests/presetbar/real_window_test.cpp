// The preset bar in a real X11 window: a private Xvfb, a host window of our own, the built plug-in opened
// into it through its entry point, clicks on the rocker sent with xdotool and effEditIdle as the only
// event pump; the host reads the program name back through effGetProgramName. Skipped without Xvfb or
// xdotool.
#include "tests/support/plugin_window.h"

#include <chrono>
#include <string>
#include <thread>

namespace {

class PresetBarWindow : public PluginWindowTest {
protected:
    // A click, then the host's idle calls while the bar handles it.
    void clickAndIdle(int x, int y) {
        click(x, y);
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
};

TEST_F(PresetBarWindow, RockerClicksStepProgramsAndTheHostSeesTheName) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    pumpIdle(200);
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 0));

    clickAndIdle(362, 453);  // the rocker's right half (340, 447, 370, 460)
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 1));
    clickAndIdle(362, 453);
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 2));
    clickAndIdle(346, 453);  // left half
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 1));

    // A name given by the host while the window is open stays with the program as the user moves on.
    char name[] = "From the host";
    instance->dispatch(effSetProgramName, 0, 0, name);
    pumpIdle(60);
    clickAndIdle(362, 453);
    clickAndIdle(346, 453);
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
    click(362, 453);  // the rocker's right half
    for (int i = 0; i < 200 && programName() != second; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(programName(), second);
    instance->dispatch(effEditClose);
}

}  // namespace
