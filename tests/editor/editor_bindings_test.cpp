// The editor bound to a real effect: parameters move controls, controls reach the host through
// setParameterAutomated, the AttShow bits, the meter mode, the idle throttle, the preferences flash,
// and parameter changes from other threads while the window opens and closes.
#include <atomic>
#include <string>
#include <thread>

#include "editor/buttons.h"
#include "editor/control_layout.h"
#include "editor/info_panel.h"
#include "editor/meters.h"
#include "editor/my_knob.h"
#include "editor/preset_bar/preset_bar.h"
#include "editor/readouts.h"
#include "editor/selectors.h"
#include "plugin/preferences.h"
#include "tests/editor/editor_fixture.h"
#include "toolkit/bitmap.h"
#include "toolkit/font.h"
#include "toolkit/text_edit.h"

namespace zarpa::testing {
namespace {

using Bindings = EditorTest;

consteval window::Rect rectOf(ControlKind kind, int tag = -1) { return window::control(kind, tag).rect; }
constexpr window::Rect kTransientKnob = rectOf(ControlKind::Knob, kTransient);
constexpr CPoint centreOf(const window::Rect& r) { return CPoint(r.centreX(), r.centreY()); }

TEST_F(Bindings, OpeningShowsEveryControlOfTheTableAtItsPlaceWithTheEffectsValues) {
    // The editor's own controls come first, in the table's order (the preset bar lies above them).
    ASSERT_GE(frame->getNbViews(), static_cast<int>(window::kControlCount));
    for (std::size_t i = 0; i < window::kControlCount; ++i) {
        const window::Control& spec = window::kControls[i];
        const auto* control = dynamic_cast<const CControl*>(frame->getView(static_cast<int>(i)));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->getViewSize(), toCRect(spec.rect)) << "control " << i;
        EXPECT_EQ(control->getTag(), spec.tag) << "control " << i;
        // The meters hold their strips themselves; every other control draws the row's bitmap.
        const bool meter = spec.kind == ControlKind::MeterIn || spec.kind == ControlKind::MeterOut ||
                           spec.kind == ControlKind::MeterGR;
        if (!meter) {
            ASSERT_NE(control->getBackground(), nullptr) << "control " << i;
            EXPECT_EQ(control->getBackground()->getResourceId(), spec.bitmap) << "control " << i;
        }
    }
    plugin->setParameter(kDrive, 0.25f);
    editor().close();
    ASSERT_TRUE(editor().open(nullptr));
    frame = editor().getMyFrame();
    EXPECT_FLOAT_EQ(find<CMyKnob>("CAnimKnob", kDrive)->getValue(), 0.25f);
    EXPECT_EQ(find<CTextEdit>("CTextEdit", kDrive)->getDisplayText(), "-12.00dB");
}

TEST_F(Bindings, AParameterMovesItsKnobAndValueFieldWithoutReportingBack) {
    plugin->setParameter(kRelease, 1.0f);
    EXPECT_FLOAT_EQ(find<CMyKnob>("CAnimKnob", kRelease)->getValue(), 1.0f);
    EXPECT_EQ(find<CTextEdit>("CTextEdit", kRelease)->getDisplayText(), "1000.0ms");
    plugin->setParameter(kQuantize, 0.75f);
    EXPECT_FLOAT_EQ(find<CControl>("CControl", kQuantize)->getValue(), 0.75f);
    EXPECT_TRUE(callsWith(audioMasterAutomate).empty());
}

TEST_F(Bindings, AClickReachesTheHostAsAnAutomatedParameter) {
    pressOn(rectOf(ControlKind::ToggleButton, kPower));
    const auto automated = callsWith(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, kPower);
    EXPECT_FLOAT_EQ(automated[0].opt, plugin->getParameter(kPower));
    EXPECT_EQ(valueToStep(plugin->getParameter(kPower), 2), 0);  // program 0 starts with the limiter on
}

TEST_F(Bindings, AKnobDragIsOneGestureForTheHost) {
    drag(centreOf(kTransientKnob), centreOf(kTransientKnob).offset(0, -40));  // Transient, 40 px up
    EXPECT_EQ(callsWith(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(callsWith(audioMasterEndEdit).size(), 1u);
    ASSERT_FALSE(callsWith(audioMasterAutomate).empty());
    EXPECT_EQ(callsWith(audioMasterAutomate).back().index, kTransient);
    EXPECT_NEAR(plugin->getParameter(kTransient), 0.2f + 40.0f / 400.0f, 1e-6);
}

// Every automated value lies inside an open gesture of its own parameter, and every gesture ends.
void expectEveryChangeInsideAGesture(const char* what) {
    int open[kParamCount] = {};
    int automated = 0;
    for (const HostCall& call : hostCalls()) {
        if (call.opcode != audioMasterBeginEdit && call.opcode != audioMasterEndEdit &&
            call.opcode != audioMasterAutomate)
            continue;
        ASSERT_TRUE(call.index >= 0 && call.index < kParamCount) << what << ": index " << call.index;
        if (call.opcode == audioMasterBeginEdit) ++open[call.index];
        if (call.opcode == audioMasterEndEdit) {
            EXPECT_GT(open[call.index]--, 0) << what;
        }
        if (call.opcode == audioMasterAutomate) {
            EXPECT_GT(open[call.index], 0) << what << ": parameter " << call.index << " outside a gesture";
            ++automated;
        }
    }
    for (int index = 0; index < kParamCount; ++index) EXPECT_EQ(open[index], 0) << what << ": " << index;
    EXPECT_GT(automated, 0) << what << " changed nothing";
}

TEST_F(Bindings, SwitchesButtonsAndTypedValuesReachTheHostAsGestures) {
    // Every switch and button of the window (the mode button on its lower key: its middle does nothing).
    for (const window::Control& c : window::kControls) {
        if (!window::drawsFilmStrip(c.kind) || c.kind == ControlKind::Knob) continue;
        hostCalls().clear();
        press(c.rect.centreX(), c.kind == ControlKind::ModeButton ? c.rect.bottom - 6 : c.rect.centreY());
        expectEveryChangeInsideAGesture(("the control of tag " + std::to_string(c.tag)).c_str());
    }
    hostCalls().clear();
    pressOn(rectOf(ControlKind::ValueField, kDrive));
    typeText("-3");
    expectEveryChangeInsideAGesture("typed Drive");
    hostCalls().clear();
    drag(centreOf(kTransientKnob), centreOf(kTransientKnob).offset(0, -40));
    expectEveryChangeInsideAGesture("knob drag");
    EXPECT_EQ(callsWith(audioMasterBeginEdit).size(), 1u);  // one gesture, not one per move
}

TEST_F(Bindings, ClosingInTheMiddleOfADragEndsTheGesture) {
    CPoint from(80, 190), to(80, 170);
    frame->onMouseDown(from, kLButton);
    frame->onMouseMoved(to, kLButton);
    editor().close();
    expectEveryChangeInsideAGesture("interrupted drag");
}

TEST_F(Bindings, TypedTextBecomesTheParameterAndIsShownBack) {
    pressOn(rectOf(ControlKind::ValueField, kDrive));
    typeText("loud");
    EXPECT_FLOAT_EQ(plugin->getParameter(kDrive), 0.5f);
    pressOn(rectOf(ControlKind::ValueField, kLeveller));
    typeText("OFF");
    EXPECT_FLOAT_EQ(plugin->getParameter(kLeveller), 1.0f);
    EXPECT_EQ(find<CTextEdit>("CTextEdit", kLeveller)->getDisplayText(), "off");
    pressOn(rectOf(ControlKind::ValueField, kLeveller));
    typeText("-0.00");
    EXPECT_EQ(find<CTextEdit>("CTextEdit", kLeveller)->getDisplayText(), "off");
    pressOn(rectOf(ControlKind::ValueField, kLeveller));
    typeText("-6");
    EXPECT_FLOAT_EQ(plugin->getParameter(kLeveller), 0.5f);
    EXPECT_FLOAT_EQ(find<CMyKnob>("CAnimKnob", kLeveller)->getValue(), 0.5f);
}

TEST_F(Bindings, GainReductionSourceButtonsSetAndClearSingleAttShowBits) {
    plugin->setParameter(kAttShow, stepToValue(5, 8));  // bits 1 and 4
    EXPECT_FLOAT_EQ(find<CControl>("CControl", kAttShowBit1Tag)->getValue(), 0.75f);
    EXPECT_FLOAT_EQ(find<CControl>("CControl", kAttShowBit2Tag)->getValue(), 0.25f);
    pressOn(rectOf(ControlKind::ToggleButton, kAttShowBit2Tag));  // on
    EXPECT_EQ(valueToStep(plugin->getParameter(kAttShow), 8), 7);
    pressOn(rectOf(ControlKind::ToggleButton, kAttShowBit1Tag));  // off
    EXPECT_EQ(valueToStep(plugin->getParameter(kAttShow), 8), 6);
    EXPECT_FLOAT_EQ(find<CControl>("CControl", kAttShowBit1Tag)->getValue(), 0.25f);
}

TEST_F(Bindings, MeterModeFollowsMeterTypeAndScale) {
    auto* meterIn = find<CMeterIn>("CMeterIn", kMeterTag);
    auto* lcdOut = find<CMeterLCD>("CMeterLCD", kMeterTag);
    plugin->setParameter(kMeterType, 0.25f);
    plugin->setParameter(kScale, 0.9f);
    EXPECT_EQ(meterIn->getMode(), 0);
    plugin->setParameter(kMeterType, 0.75f);
    plugin->setParameter(kScale, 0.5f);
    EXPECT_EQ(meterIn->getMode(), 2);
    EXPECT_EQ(lcdOut->getMode(), 2);
    auto* mode = find<CModeButton>("CModeButton", kScale);
    EXPECT_EQ(mode->getType(), 1);
    EXPECT_EQ(mode->getScale(), 1);
}

TEST_F(Bindings, ModeButtonZonesWriteMeterTypeAndScale) {
    plugin->setParameter(kMeterType, 0.25f);
    plugin->setParameter(kScale, stepToValue(0, 3));
    const window::Rect& m = window::control(ControlKind::ModeButton).rect;
    press(m.centreX(), m.bottom - 6);  // bottom zone from peak: K-system, the scale unchanged
    EXPECT_EQ(valueToStep(plugin->getParameter(kMeterType), 2), 1);
    EXPECT_EQ(valueToStep(plugin->getParameter(kScale), 3), 0);
    press(m.centreX(), m.bottom - 6);  // again: the scale advances
    EXPECT_EQ(valueToStep(plugin->getParameter(kScale), 3), 1);
    hostCalls().clear();
    press(m.centreX(), m.top + 19);  // the middle band, bounds included, sets nothing
    press(m.centreX(), m.bottom - 19);
    EXPECT_TRUE(callsWith(audioMasterAutomate).empty());
    press(m.centreX(), m.top + 5);  // top zone: peak
    EXPECT_EQ(valueToStep(plugin->getParameter(kMeterType), 2), 0);
    EXPECT_EQ(find<CMeterOut>("CMeterOut", kMeterTag)->getMode(), 0);
}

TEST_F(Bindings, ClicksOnSettingsThatChangeTheMeasurementResetTheMeters) {
    auto* lcdIn = find<CMeterLCD>("CMeterLCD", kMeterTag);
    auto* lcdGR = find<CMeterLCDGR>("CMeterLCDGR", kMeterTag);
    const auto feed = [&] {
        lcdIn->setPeaks(0.5f, 0.5f);
        lcdGR->setGains(0.5f, 0.5f);
    };
    feed();
    pressOn(rectOf(ControlKind::OversamplingButton));
    EXPECT_FLOAT_EQ(lcdIn->maximumDb(0), -120.0f);
    EXPECT_FLOAT_EQ(lcdGR->minimumDb(0), 0.0f);
    feed();
    pressOn(rectOf(ControlKind::ToggleButton, kPostMeter));  // the input side only
    EXPECT_FLOAT_EQ(lcdIn->maximumDb(0), -120.0f);
    EXPECT_LT(lcdGR->minimumDb(0), -6.0f);
    feed();
    pressOn(rectOf(ControlKind::ToggleButton, kPower));  // no reset
    EXPECT_GT(lcdIn->maximumDb(0), -7.0f);
    pressOn(rectOf(ControlKind::InputReadout));  // a readout: everything resets
    EXPECT_FLOAT_EQ(lcdIn->maximumDb(0), -120.0f);
    EXPECT_FLOAT_EQ(lcdGR->minimumDb(1), 0.0f);
}

TEST_F(Bindings, IdleRunsAtMostOncePer40Milliseconds) {
    auto* knob = find<CMyKnob>("CAnimKnob", kDrive);
    idleAfter(40);
    plugin->setParameter(kDrive, 0.1f);  // the knob is dirty until an idle pass redraws it
    ASSERT_TRUE(knob->isDirty());
    idleAfter(39);
    EXPECT_TRUE(knob->isDirty());  // not even the toolkit's redraw ran
    idleAfter(1);
    EXPECT_FALSE(knob->isDirty());
}

TEST_F(Bindings, ARightClickOnAMeteringButtonSavesThePreferencesAndFlashesFor500Milliseconds) {
    plugin->setParameter(kScale, stepToValue(2, 3));
    plugin->setParameter(kMeterType, stepToValue(1, 2));
    plugin->setParameter(kAttZoom, stepToValue(1, 2));
    plugin->setParameter(kAttShow, stepToValue(5, 8));
    plugin->setParameter(kMeterOvs, stepToValue(0, 2));
    plugin->setParameter(kPostMeter, stepToValue(1, 2));
    pressOn(rectOf(ControlKind::ToggleButton, kAttZoom), kRButton);
    auto* zoom = find<CZarpaButton>("CControl", kAttZoom);
    auto* mode = find<CModeButton>("CModeButton", kScale);
    EXPECT_TRUE(zoom->getFlash());
    EXPECT_TRUE(mode->getFlash());
    EXPECT_FLOAT_EQ(zoom->getValue(), 0.75f);  // a right click does not toggle

    const std::int32_t expected[] = {2, 1, 1, 5, 0, 1};
    auto key = platform::openSettingsKey(kPreferencesKeyPath);
    ASSERT_TRUE(key);
    for (std::size_t i = 0; i < std::size(kMeteringPreferences); ++i) {
        std::int32_t stored = -1;
        EXPECT_EQ(key->readValue(kMeteringPreferences[i].valueName, &stored, 4), 4);
        EXPECT_EQ(stored, expected[i]) << kMeteringPreferences[i].valueName;
    }
    idleAfter(500);
    EXPECT_TRUE(find<CZarpaButton>("CControl", kPostMeter)->getFlash());
    idleAfter(40);
    EXPECT_FALSE(zoom->getFlash());
    EXPECT_FALSE(mode->getFlash());
    EXPECT_FALSE(find<CZarpaButton>("CControl", kAttShowBit2Tag)->getFlash());
}

TEST_F(Bindings, ALeftClickOnAMeteringButtonNeitherSavesNorFlashes) {
    pressOn(rectOf(ControlKind::ToggleButton, kAttZoom));
    EXPECT_FALSE(find<CZarpaButton>("CControl", kAttZoom)->getFlash());
    EXPECT_FALSE(platform::openSettingsKey(kPreferencesKeyPath));
}

TEST_F(Bindings, TheIdlePassFeedsTheMetersFromTheProcessedSignal) {
    float left[512], right[512], outLeft[512], outRight[512];
    for (int i = 0; i < 512; ++i) left[i] = right[i] = (i % 64 == 0) ? 0.5f : 0.0f;
    float* in[2] = {left, right};
    float* out[2] = {outLeft, outRight};
    plugin->processReplacing(in, out, 512);
    idleAfter(40);
    EXPECT_NEAR(find<CMeterLCD>("CMeterLCD", kMeterTag)->maximumDb(0), -6.02f, 0.05f);
    EXPECT_GT(find<CMeterIn>("CMeterIn", kMeterTag)->displayedPeakDb(1), -122.0f);
}

TEST_F(Bindings, MetersRestWhenTheHostStopsProcessingAndResumeWithTheNextBlock) {
    float left[512], right[512], outLeft[512], outRight[512];
    float* in[2] = {left, right};
    float* out[2] = {outLeft, outRight};
    const auto processPulses = [&](float level) {
        for (int i = 0; i < 512; ++i) left[i] = right[i] = (i % 64 == 0) ? level : 0.0f;
        plugin->setParameter(kDrive, 1.0f);  // +24 dB: the limiter reduces the gain
        plugin->processReplacing(in, out, 512);
    };
    auto* meterIn = find<CMeterIn>("CMeterIn", kMeterTag);
    auto* meterGR = find<CMeterGR>("CMeterGR", kMeterTag);
    auto* lcdIn = find<CMeterLCD>("CMeterLCD", kMeterTag);
    processPulses(0.5f);
    idleAfter(40);
    const float shownPeak = meterIn->displayedPeakDb(0);
    EXPECT_GT(shownPeak, -10.0f);
    EXPECT_LT(meterGR->displayedDb(0), -1.0f);

    // No block for a while: the display holds and falls as usual at first, then rests within a second.
    for (int elapsed = 40; elapsed < 360; elapsed += 40) idleAfter(40);
    EXPECT_GT(meterIn->displayedPeakDb(0), shownPeak - 3.0f);
    for (int elapsed = 360; elapsed < 520; elapsed += 40) idleAfter(40);
    EXPECT_LE(meterIn->displayedPeakDb(0), -120.0f);
    EXPECT_LE(find<CMeterOut>("CMeterOut", kMeterTag)->displayedPeakDb(1), -120.0f);
    EXPECT_FLOAT_EQ(meterGR->displayedDb(0), 0.0f);
    EXPECT_GT(lcdIn->maximumDb(0), -10.0f) << "the peak readout holds its maximum until reset";

    // The stopped host's last values are not read again; the next block shows at once.
    idleAfter(1000);
    EXPECT_LE(meterIn->displayedPeakDb(0), -120.0f);
    processPulses(0.25f);
    idleAfter(40);
    EXPECT_GT(meterIn->displayedPeakDb(0), -10.0f);
    EXPECT_LT(meterGR->displayedDb(0), -1.0f);
}

TEST_F(Bindings, EveryControlHasOneLineOfHelpThatFitsTheWindow) {
    ASSERT_GT(frame->getNbViews(), 40);
    for (int i = 0; i < frame->getNbViews(); ++i) {
        CView* view = frame->getView(i);
        const std::string& text = view->getTooltipText();
        EXPECT_FALSE(text.empty()) << "view " << i << " at " << view->getViewSize().left << ", "
                                   << view->getViewSize().top;
        EXPECT_LE(kNormalFontSmaller->getStringWidth(text.c_str()) + 10, kEditorWidth - 4) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    }
    // The preset bar's icon buttons say what each kind of click does; the memo stores that they overwrite.
    const auto helpOf = [this](int tag) { return find<CControl>("CControl", tag)->getTooltipText(); };
    for (int tag : {kLoadBankTag, kLoadPresetTag}) EXPECT_NE(helpOf(tag).find("Right click"), std::string::npos);
    for (int tag : {kDefaultBankTag, kDefaultPresetTag}) {
        EXPECT_NE(helpOf(tag).find("Double click"), std::string::npos);
        EXPECT_NE(helpOf(tag).find("Ctrl+double click"), std::string::npos);
    }
    for (int tag : {kMemoAStoreTag, kMemoBStoreTag}) EXPECT_NE(helpOf(tag).find("overwrites"), std::string::npos);
}

TEST_F(Bindings, RestingThePointerOnPowerShowsItsHelpAfterTheDelay) {
    CPoint power(262, 417);
    frame->onMouseMoved(power, 0);
    idleAfter(560);
    EXPECT_FALSE(frame->getTooltip().isShown());
    idleAfter(40);
    ASSERT_TRUE(frame->getTooltip().isShown());
    EXPECT_EQ(frame->getTooltip().getText().rfind("Power", 0), 0u);
}

TEST_F(Bindings, TheInfoPanelShowsTheLatencyReportedBeforeAndAfterOpening) {
    auto* info = dynamic_cast<CInfo*>(frame->getView(22));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->getLatency(), 159);
    plugin->setSampleRate(96000.0f);
    idleAfter(40);
    EXPECT_EQ(info->getLatency(), 287);
}

TEST_F(Bindings, WithTheWindowClosedParameterChangesReachNobody) {
    editor().close();
    EXPECT_EQ(editor().getMyFrame(), nullptr);
    plugin->setParameter(kDrive, 0.3f);
    editor().idle();
    EXPECT_FLOAT_EQ(plugin->getParameter(kDrive), 0.3f);
}

TEST_F(Bindings, ChangesFromAnotherThreadReachTheControlsAtTheNextIdle) {
    auto* knob = find<CMyKnob>("CAnimKnob", kOutput);
    std::thread([this] { plugin->setParameter(kOutput, 0.125f); }).join();
    EXPECT_NE(knob->getValue(), 0.125f);  // no other thread touches a control
    idleAfter(40);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.125f);
}

TEST_F(Bindings, AutomationFromTheAudioThreadSurvivesTheWindowOpeningAndClosing) {
    std::atomic<bool> running{true};
    std::thread automation([&] {
        for (int i = 0; running.load(); ++i) {
            plugin->setParameter(i % kEffectParamCount, static_cast<float>(i % 100) / 100.0f);
            if (i % 64 == 0) std::this_thread::yield();
        }
    });
    for (int round = 0; round < 12; ++round) {
        editor().close();
        ASSERT_TRUE(editor().open(nullptr));
        idleAfter(40);
    }
    running = false;
    automation.join();
    frame = editor().getMyFrame();
    idleAfter(40);
    // After the last idle every control shows the effect's value.
    EXPECT_FLOAT_EQ(find<CMyKnob>("CAnimKnob", kLink)->getValue(), plugin->getParameter(kLink));
    EXPECT_FLOAT_EQ(find<CControl>("CControl", kPower)->getValue(), plugin->getParameter(kPower));
}

}  // namespace
}  // namespace zarpa::testing
