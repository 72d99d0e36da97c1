// The preset bar in a real X11 window: a private Xvfb, a host window of our own, the built plug-in opened
// into it through its entry point, clicks on the rocker sent with xdotool and effEditIdle as the only
// event pump; the host reads the program name back through effGetProgramName. Skipped without Xvfb or
// xdotool.
#include "layout/window_layout.h"
#include "tests/support/plugin_window.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace window = zarpa::window;
constexpr window::Rect kRocker = window::presetBarControl(window::kRockerTag).rect;
constexpr window::Rect kLoadPreset = window::presetBarControl(window::kLoadPresetTag).rect;
struct Point {
    int x, y;
};
constexpr Point kRockerLeft{kRocker.left + 6, kRocker.centreY()};     // inside the left half
constexpr Point kRockerRight{kRocker.right - 8, kRocker.centreY()};  // inside the right half

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

    clickAndIdle(kRockerRight.x, kRockerRight.y);
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 1));
    clickAndIdle(kRockerRight.x, kRockerRight.y);
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 2));
    clickAndIdle(kRockerLeft.x, kRockerLeft.y);
    EXPECT_EQ(programName(), programName(effGetProgramNameIndexed, 1));

    // A name given by the host while the window is open stays with the program as the user moves on.
    char name[] = "From the host";
    instance->dispatch(effSetProgramName, 0, 0, name);
    pumpIdle(60);
    clickAndIdle(kRockerRight.x, kRockerRight.y);
    clickAndIdle(kRockerLeft.x, kRockerLeft.y);
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
    click(kRockerRight.x, kRockerRight.y);
    for (int i = 0; i < 200 && programName() != second; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(programName(), second);
    instance->dispatch(effEditClose);
}

// The user leaves the load dialog up (a stand-in helper that takes its time): the host's GUI thread and
// its worker threads go on. effEditIdle returns at once and a chunk saved from another thread does not
// wait for the user; the choice is applied at an idle once the helper answers.
TEST_F(PresetBarWindow, AnOpenFileDialogKeepsNoHostThreadWaiting) {
    char scratchPattern[] = "/tmp/zarpa-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(scratchPattern), nullptr);
    const std::string scratch = scratchPattern;
    // A preset record: identifier "OKzr" in little-endian order, kind '!', a name and 26 values.
    unsigned char record[133] = {'r', 'z', 'K', 'O', 0x21};
    std::memcpy(record + 5, "From the dialog", 15);
    std::ofstream(scratch + "/chosen.oka", std::ios::binary).write(reinterpret_cast<char*>(record), sizeof record);
    std::ofstream(scratch + "/zenity") << "#!/bin/sh\nsleep 2\necho " << scratch << "/chosen.oka\n";
    chmod((scratch + "/zenity").c_str(), 0755);
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (scratch + ":/usr/bin:/bin").c_str(), 1);

    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    pumpIdle(200);
    const std::string before = programName();
    click(kLoadPreset.centreX(), kLoadPreset.centreY());
    pumpIdle(300);    // the helper is up now, sleeping

    using Clock = std::chrono::steady_clock;
    auto longestIdle = Clock::duration::zero();
    auto longestChunk = Clock::duration::zero();
    for (int round = 0; round < 10; ++round) {
        std::thread worker([&] {
            void* data = nullptr;
            const auto start = Clock::now();
            instance->dispatch(effGetChunk, 0, 0, &data);
            longestChunk = std::max(longestChunk, Clock::now() - start);
        });
        const auto start = Clock::now();
        instance->dispatch(effEditIdle);
        longestIdle = std::max(longestIdle, Clock::now() - start);
        worker.join();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    using Ms = std::chrono::duration<double, std::milli>;
    std::printf("with the dialog up: longest effGetChunk %.2f ms, longest effEditIdle %.2f ms\n",
                Ms(longestChunk).count(), Ms(longestIdle).count());
    EXPECT_EQ(programName(), before);  // still deciding
    EXPECT_LT(longestChunk, std::chrono::milliseconds(50));
    EXPECT_LT(longestIdle, std::chrono::milliseconds(200));

    for (int i = 0; i < 250 && programName() == before; ++i) pumpIdle(20);
    EXPECT_EQ(programName(), "From the dialog");
    instance->dispatch(effEditClose);
    setenv("PATH", oldPath.c_str(), 1);
    std::filesystem::remove_all(scratch);
}

}  // namespace
