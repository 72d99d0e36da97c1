// Where the editor places each control in its window, from the window table the editor builds itself
// from: the artwork draws every control's frames over the piece of panel it covers, so the two agree
// pixel for pixel by construction.
#pragma once

#include "canvas.h"
#include "layout/window_layout.h"

namespace artgen::layout {

namespace window = zarpa::window;
using window::ControlKind;
using window::PresetBarKind;

constexpr Box box(window::Rect r) { return {r.left, r.top, r.right, r.bottom}; }
consteval Box place(ControlKind kind, int tag = -1) { return box(window::control(kind, tag).rect); }
consteval Box barPlace(int tag) { return box(window::presetBarControl(tag).rect); }

// A control's bitmap id and the place the editor draws it.
struct Placed {
    int bitmap;
    Box rect;
};
consteval Placed placed(ControlKind kind, int tag = -1) {
    return {window::control(kind, tag).bitmap, box(window::control(kind, tag).rect)};
}
consteval Placed barPlaced(int tag) {
    return {window::presetBarControl(tag).bitmap, box(window::presetBarControl(tag).rect)};
}

constexpr int kWindowWidth = window::kWidth;
constexpr int kWindowHeight = window::kHeight;

// Buttons and selectors.
constexpr Box kDetectorOrder = place(ControlKind::ToggleButton, zarpa::kDetectorOrder);
constexpr Box kOversample = place(ControlKind::OversamplingButton);
constexpr Box kMeterMode = place(ControlKind::ModeButton);
constexpr Box kQuantize = place(ControlKind::ToggleButton, zarpa::kQuantize);
constexpr Box kAutoblack = place(ControlKind::AutoBlack);
constexpr Box kBits = place(ControlKind::Bits);
constexpr Box kNoiseShape = place(ControlKind::NoiseShape);
constexpr Box kCalibrate = place(ControlKind::CalibButton);
constexpr Box kAttZoom = place(ControlKind::ToggleButton, zarpa::kAttZoom);
constexpr Box kShowRelease = place(ControlKind::ToggleButton, window::kAttShowBit1Tag);
constexpr Box kShowTransient = place(ControlKind::ToggleButton, window::kAttShowBit2Tag);
constexpr Box kShowLeveller = place(ControlKind::ToggleButton, window::kAttShowBit4Tag);
constexpr Box kTransShape = place(ControlKind::SpeedSwitch);
constexpr Box kPower = place(ControlKind::ToggleButton, zarpa::kPower);
constexpr Box kAutoOut = place(ControlKind::ToggleButton, zarpa::kAutoOut);
constexpr Box kPostMeter = place(ControlKind::ToggleButton, zarpa::kPostMeter);
constexpr Box kMeterOvs = place(ControlKind::ToggleButton, zarpa::kMeterOvs);
constexpr Box kInfo = place(ControlKind::Info);

// The transient-shape switch's three click zones.
constexpr Box kTransShapeZones[3] = {box(window::kTransShapeZones[0]), box(window::kTransShapeZones[1]),
                                     box(window::kTransShapeZones[2])};

// Knobs.
constexpr Box kTransientKnob = place(ControlKind::Knob, zarpa::kTransient);
constexpr Box kReleaseKnob = place(ControlKind::Knob, zarpa::kRelease);
constexpr Box kLevellerKnob = place(ControlKind::Knob, zarpa::kLeveller);
constexpr Box kLinkKnob = place(ControlKind::Knob, zarpa::kLink);
constexpr Box kDriveKnob = place(ControlKind::Knob, zarpa::kDrive);
constexpr Box kOutputKnob = place(ControlKind::Knob, zarpa::kOutput);

// Value fields under the knobs.
constexpr Box kDriveField = place(ControlKind::ValueField, zarpa::kDrive);
constexpr Box kOutputField = place(ControlKind::ValueField, zarpa::kOutput);
constexpr Box kTransientField = place(ControlKind::ValueField, zarpa::kTransient);
constexpr Box kReleaseField = place(ControlKind::ValueField, zarpa::kRelease);
constexpr Box kLevellerField = place(ControlKind::ValueField, zarpa::kLeveller);
constexpr Box kLinkField = place(ControlKind::ValueField, zarpa::kLink);

// Meters: control rectangles, bar columns (x ranges) and scale rectangles.
constexpr Box kInputMeter = place(ControlKind::MeterIn);
constexpr Box kOutputMeter = place(ControlKind::MeterOut);
constexpr int kBarTop = window::kLevelBarTop, kBarBottom = window::kLevelBarBottom;
constexpr Box bar(int x, int top, int bottom) { return {x, top, x + window::kBarWidth, bottom}; }
constexpr Box kInputBars[2] = {bar(window::kInputMeterLayout.leftBarX, kBarTop, kBarBottom),
                               bar(window::kInputMeterLayout.rightBarX, kBarTop, kBarBottom)};
constexpr Box kOutputBars[2] = {bar(window::kOutputMeterLayout.leftBarX, kBarTop, kBarBottom),
                                bar(window::kOutputMeterLayout.rightBarX, kBarTop, kBarBottom)};
constexpr Box kInputScale = box(window::kInputMeterLayout.scale);
constexpr Box kOutputScale = box(window::kOutputMeterLayout.scale);
constexpr Box kGainMeter = place(ControlKind::MeterGR);
constexpr int kGainBarBottom = window::kGainBarTop + window::kGainBarMaxLength;
constexpr Box kGainBars[2] = {bar(window::kGainBarX[0], window::kGainBarTop, kGainBarBottom),
                              bar(window::kGainBarX[1], window::kGainBarTop, kGainBarBottom)};

// Numeric readouts (5 × 8 font).
constexpr Box kInputReadout = place(ControlKind::InputReadout);
constexpr Box kOutputReadout = place(ControlKind::OutputReadout);
constexpr Box kGainReadout = place(ControlKind::GainReadout);

// Preset bar along the bottom edge.
constexpr Box kSaveBank = barPlace(window::kSaveBankTag);
constexpr Box kDefaultBank = barPlace(window::kDefaultBankTag);
constexpr Box kLoadBank = barPlace(window::kLoadBankTag);
constexpr Box kSavePreset = barPlace(window::kSavePresetTag);
constexpr Box kDefaultPreset = barPlace(window::kDefaultPresetTag);
constexpr Box kLoadPreset = barPlace(window::kLoadPresetTag);
constexpr Box kProgramName = barPlace(window::kNameFieldTag);
constexpr Box kProgramMenu = barPlace(window::kProgramMenuTag);
constexpr Box kRocker = barPlace(window::kRockerTag);
constexpr Box kMemoAStore = barPlace(window::kMemoAStoreTag);
constexpr Box kMemoARecall = barPlace(window::kMemoARecallTag);
constexpr Box kMemoBStore = barPlace(window::kMemoBStoreTag);
constexpr Box kMemoBRecall = barPlace(window::kMemoBRecallTag);

}  // namespace artgen::layout
