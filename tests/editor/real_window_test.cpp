// The editor in a real X11 window, as a host shows it: a private Xvfb, a host window of our own, the
// built plug-in loaded through its entry point, the editor opened with effEditOpen into the host window,
// a click sent with xdotool, and effEditIdle as the only event pump. Skipped when Xvfb or xdotool is
// missing.
// Our headers before Xlib's, whose macros (None, Display) would clash with their names.
#include "engine/parameters.h"
#include "layout/window_layout.h"
#include "resources/resources.h"
#include "tests/foundation/temp_config.h"
#include "tests/support/plugin_window.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {

constexpr zarpa::window::Rect kPower = zarpa::window::control(zarpa::window::ControlKind::ToggleButton, zarpa::kPower).rect;
constexpr zarpa::window::Rect kBits = zarpa::window::control(zarpa::window::ControlKind::Bits).rect;

using RealWindow = PluginWindowTest;

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
    click(kPower.centreX(), kPower.centreY());
    pumpIdle(200);
    EXPECT_NE(zarpa::valueToStep(instance->getParameter(zarpa::kPower), 2), zarpa::valueToStep(before, 2));
    bool automated = false;
    for (const vsthost::HostCall& call : instance->calls())
        automated |= call.opcode == audioMasterAutomate && call.index == zarpa::kPower;
    EXPECT_TRUE(automated);

    instance->dispatch(effEditClose);
    pumpIdle(40);
}

TEST_F(RealWindow, ThePointerRestingOnPowerShowsItsHelpBoxAfterTheDelayAndMovingAwayRemovesIt) {
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    pumpIdle(200);
    // The box opens below and right of the pointer, here over the program name field.
    constexpr int kInsideBoxX = 262 + 10 + 3, kInsideBoxY = 417 + 20 + 12;
    const unsigned long underneath = screenPixel(kInsideBoxX, kInsideBoxY);
    constexpr unsigned long kTooltipPaper = 0x242527;
    ASSERT_NE(underneath, kTooltipPaper);

    hover(262, 417);
    pumpIdle(300);
    EXPECT_EQ(screenPixel(kInsideBoxX, kInsideBoxY), underneath) << "not before the delay";
    pumpIdle(700);
    EXPECT_EQ(screenPixel(kInsideBoxX, kInsideBoxY), kTooltipPaper);

    hover(5, 200);  // the bare panel
    pumpIdle(200);
    EXPECT_EQ(screenPixel(kInsideBoxX, kInsideBoxY), underneath);
    instance->dispatch(effEditClose);
    pumpIdle(40);
}

TEST_F(RealWindow, AnOpenIntoAWindowThatDoesNotExistFailsAndTheNextOpenWorks) {
    Window gone = XCreateSimpleWindow(server().display(), host, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(server().display(), gone);
    XSync(server().display(), False);
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
    click(kPower.centreX(), kPower.centreY());
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

// The editor at each size, as a host that follows effEditGetRect shows it: the host's content-scale
// hint picks the size (nothing is stored), the host window takes the reported size, and clicks at the
// scaled places of Power and Bits land on the same values as at 100 %.
class ScaledWindow : public PluginWindowTest, public ::testing::WithParamInterface<int> {
protected:
    TempConfigHome config;  // no stored size: the hint decides
    int device(int logical) const { return logical * GetParam() / 100; }
};

TEST_P(ScaledWindow, ClicksOnPowerAndBitsLandOnTheSameValuesAsAt100) {
    constexpr VstInt32 kPreS = 0x50726553;
    constexpr VstIntPtr kAeCs = 0x41654373;
    const int percent = GetParam();
    EXPECT_EQ(instance->dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, percent / 100.0f), 1);
    ERect* rect = nullptr;
    ASSERT_EQ(instance->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, device(524));
    EXPECT_EQ(rect->bottom - rect->top, device(462));
    XResizeWindow(server().display(), host, unsigned(device(524)), unsigned(device(462)));
    XSync(server().display(), False);

    const float power = instance->getParameter(zarpa::kPower);
    const int bits = zarpa::valueToStep(instance->getParameter(zarpa::kBits), 3);
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    pumpIdle(300);

    // The window shows the set drawn for its size: the panel's pixel at the same device place.
    const resources::ResourceBitmap* background = resources::findBitmap(128, percent);
    ASSERT_NE(background, nullptr);
    ASSERT_EQ(background->width, device(524));
    for (auto [x, y] : {std::pair{5, 5}, {device(100), device(60)}, {device(500), device(300)}}) {
        const std::uint8_t* rgb = background->rgb + 3 * (std::size_t(y) * std::size_t(background->width) + std::size_t(x));
        EXPECT_EQ(screenPixel(x, y), (unsigned long){(rgb[0] * 65536u) + (rgb[1] * 256u) + rgb[2]}) << x << ", " << y;
    }

    click(device(kPower.centreX()), device(kPower.centreY()));
    pumpIdle(200);
    EXPECT_NE(zarpa::valueToStep(instance->getParameter(zarpa::kPower), 2), zarpa::valueToStep(power, 2));
    click(device(kBits.centreX()), device(kBits.centreY()));  // the next word length
    pumpIdle(200);
    EXPECT_EQ(zarpa::valueToStep(instance->getParameter(zarpa::kBits), 3), (bits + 1) % 3);
    // The edges of a control: its last device pixel still hits it, the next one does not.
    click(device(kBits.right) - 1, device(kBits.bottom) - 1);
    pumpIdle(200);
    EXPECT_EQ(zarpa::valueToStep(instance->getParameter(zarpa::kBits), 3), (bits + 2) % 3);
    click(device(kBits.right) + 1, device(kBits.centreY()));  // between Bits and NoiseShape
    pumpIdle(200);
    EXPECT_EQ(zarpa::valueToStep(instance->getParameter(zarpa::kBits), 3), (bits + 2) % 3);

    instance->dispatch(effEditClose);
    pumpIdle(40);
}

INSTANTIATE_TEST_SUITE_P(AtEachSize, ScaledWindow, ::testing::Values(100, 150, 200),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
