// The editor window's one table: where every control sits, which bitmap it draws and which tag it sends,
// for the editor's own controls and the preset bar, plus the meters' inner geometry. The editor and the
// preset bar build their controls from it, the artwork generator draws every bitmap over the piece of
// panel this table places it on, and the tests check the open window and the artwork against it.
//
// Plain constexpr data that includes nothing but the parameter indices: the artwork generator, a
// separate native program, includes it without any other code of the plug-in. The toolkit never does.
#pragma once

#include <cstddef>

#include "engine/parameter_index.h"

namespace zarpa::window {

// (left, top, right, bottom) in window pixels at 100 %, right and bottom exclusive.
struct Rect {
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr int centreX() const { return (left + right) / 2; }
    constexpr int centreY() const { return (top + bottom) / 2; }
    constexpr bool operator==(const Rect&) const = default;
};

constexpr int kWidth = 524;
constexpr int kHeight = 462;

// Bitmap resource ids. Film strips stack their frames vertically; a control's frame is as high as its
// rectangle unless a comment says otherwise.
namespace bitmap {
constexpr int kBackground = 128;  // the whole window; also behind the value fields and the preset bar's text
constexpr int kKUnlitBar = 129;   // level meters, K-system modes
constexpr int kPeakLitBar = 130;  // level meters, peak mode
constexpr int kInputScaleK20 = 131;
constexpr int kInputScaleK14 = 132;
constexpr int kInputScalePeakK12 = 133;
constexpr int kOutputScaleK20 = 134;
constexpr int kOutputScaleK14 = 135;
constexpr int kOutputScalePeakK12 = 136;
constexpr int kFont = 137;        // the readouts' and info panel's characters
constexpr int kSecondFont = 138;  // the level readouts' clip colour
constexpr int kDetectorOrder = 139;
constexpr int kOversample = 140;
constexpr int kMeterMode = 141;
constexpr int kBits = 142;
constexpr int kNoiseShape = 143;
constexpr int kAttZoom = 144;
constexpr int kCalibrate = 145;
constexpr int kTransShape = 146;
constexpr int kLevellerKnob = 147;
constexpr int kLinkKnob = 148;
constexpr int kPower = 149;
constexpr int kDriveKnob = 150;
constexpr int kOutputKnob = 151;
constexpr int kTransientKnob = 152;
constexpr int kReleaseKnob = 153;
constexpr int kKLitBar = 154;       // level meters, K-system modes, bar and peak marker
constexpr int kPeakUnlitBar = 155;  // level meters, peak mode
constexpr int kGainBar = 156;
constexpr int kInfo = 157;  // asked for, deliberately absent: the closed info panel shows the background
constexpr int kMeterOvs = 160;
constexpr int kSmallKey = 161;  // AutoOut and PostMeter share it
constexpr int kQuantize = 162;
constexpr int kAutoblack = 163;
constexpr int kShowRelease = 164;
constexpr int kShowTransient = 165;
constexpr int kShowLeveller = 166;
constexpr int kGainScale = 167;  // two frames of the gain meter's height: normal, zoomed
constexpr int kLoadButton = 990;
constexpr int kSaveButton = 991;
constexpr int kDefaultBankButton = 992;
constexpr int kDefaultPresetButton = 993;
constexpr int kProgramMenuButton = 994;  // drawn for the program menu's place; the menu itself draws nothing
constexpr int kRocker = 995;
}  // namespace bitmap

// Tags of the editor's controls that are not parameter indices.
constexpr int kMeterTag = 27;  // every meter and readout: a click resets them all
constexpr int kAttShowBit1Tag = 28;
constexpr int kAttShowBit2Tag = 29;
constexpr int kAttShowBit4Tag = 30;
constexpr int kLastEditorTag = kAttShowBit4Tag;

enum class ControlKind {
    ToggleButton,        // CZarpaButton
    OversamplingButton,  // COversamplingButton
    ModeButton,
    AutoBlack,
    Bits,
    NoiseShape,
    CalibButton,
    Knob,         // CMyKnob, 101 frames
    SpeedSwitch,  // CSpeedSwitch
    Info,         // CInfo
    ValueField,   // CTextEdit over the background
    MeterIn,
    MeterOut,
    MeterGR,
    InputReadout,   // CMeterLCD under the input meter
    OutputReadout,  // CMeterLCD under the output meter
    GainReadout,    // CMeterLCDGR
};

// The kinds that draw one frame of their bitmap (frames as high as the rectangle) over their whole
// rectangle; the others draw their own strips, text or nothing.
constexpr bool drawsFilmStrip(ControlKind kind) {
    switch (kind) {
        case ControlKind::ToggleButton: case ControlKind::OversamplingButton: case ControlKind::ModeButton:
        case ControlKind::AutoBlack: case ControlKind::Bits: case ControlKind::NoiseShape: case ControlKind::CalibButton:
        case ControlKind::Knob: case ControlKind::SpeedSwitch:
            return true;
        default:
            return false;
    }
}

struct Control {
    ControlKind kind;
    Rect rect;
    int bitmap;  // the control's own bitmap (meters and readouts add their fixed set below)
    int tag;
    bool savesPreferences;  // a right click saves the metering preferences
};

// The editor's own controls in the order they are created and stacked (later ones lie above).
inline constexpr Control kControls[] = {
    {ControlKind::ToggleButton, {44, 40, 77, 59}, bitmap::kDetectorOrder, kDetectorOrder, false},
    {ControlKind::OversamplingButton, {81, 40, 114, 59}, bitmap::kOversample, kOversample, false},
    {ControlKind::ModeButton, {223, 305, 258, 361}, bitmap::kMeterMode, kScale, false},
    {ControlKind::ToggleButton, {412, 40, 445, 59}, bitmap::kQuantize, kQuantize, false},
    {ControlKind::AutoBlack, {449, 40, 482, 59}, bitmap::kAutoblack, kAutoblack, false},
    {ControlKind::Bits, {412, 78, 445, 97}, bitmap::kBits, kBits, false},
    {ControlKind::NoiseShape, {449, 78, 482, 97}, bitmap::kNoiseShape, kNoiseShape, false},
    {ControlKind::CalibButton, {269, 341, 302, 360}, bitmap::kCalibrate, kCalibrate, false},
    {ControlKind::ToggleButton, {269, 265, 302, 284}, bitmap::kAttZoom, kAttZoom, true},
    {ControlKind::ToggleButton, {224, 265, 257, 284}, bitmap::kShowRelease, kAttShowBit1Tag, true},
    {ControlKind::ToggleButton, {224, 230, 257, 249}, bitmap::kShowTransient, kAttShowBit2Tag, true},
    {ControlKind::ToggleButton, {269, 230, 302, 249}, bitmap::kShowLeveller, kAttShowBit4Tag, true},
    {ControlKind::Knob, {55, 169, 105, 217}, bitmap::kTransientKnob, kTransient, false},
    {ControlKind::Knob, {56, 267, 105, 314}, bitmap::kReleaseKnob, kRelease, false},
    {ControlKind::Knob, {421, 169, 469, 216}, bitmap::kLevellerKnob, kLeveller, false},
    {ControlKind::Knob, {421, 267, 469, 314}, bitmap::kLinkKnob, kLink, false},
    {ControlKind::SpeedSwitch, {38, 121, 128, 146}, bitmap::kTransShape, kTransShape, false},
    {ControlKind::ToggleButton, {245, 400, 280, 435}, bitmap::kPower, kPower, false},
    {ControlKind::Knob, {52, 349, 108, 404}, bitmap::kDriveKnob, kDrive, false},
    {ControlKind::Knob, {417, 349, 475, 405}, bitmap::kOutputKnob, kOutput, false},
    {ControlKind::ToggleButton, {394, 368, 412, 392}, bitmap::kSmallKey, kAutoOut, false},
    {ControlKind::ToggleButton, {116, 368, 134, 392}, bitmap::kSmallKey, kPostMeter, true},
    {ControlKind::Info, {224, 370, 301, 401}, bitmap::kInfo, 0, false},
    {ControlKind::ValueField, {43, 409, 117, 427}, bitmap::kBackground, kDrive, false},
    {ControlKind::ValueField, {410, 409, 484, 427}, bitmap::kBackground, kOutput, false},
    {ControlKind::ValueField, {45, 221, 119, 239}, bitmap::kBackground, kTransient, false},
    {ControlKind::ValueField, {45, 319, 119, 337}, bitmap::kBackground, kRelease, false},
    {ControlKind::ValueField, {411, 221, 485, 239}, bitmap::kBackground, kLeveller, false},
    {ControlKind::ValueField, {411, 319, 485, 337}, bitmap::kBackground, kLink, false},
    {ControlKind::ToggleButton, {269, 307, 302, 326}, bitmap::kMeterOvs, kMeterOvs, true},
    {ControlKind::MeterIn, {147, 38, 207, 408}, bitmap::kBackground, kMeterTag, false},
    {ControlKind::MeterOut, {319, 38, 379, 406}, bitmap::kBackground, kMeterTag, false},
    {ControlKind::MeterGR, {233, 39, 291, 192}, bitmap::kGainBar, kMeterTag, false},
    {ControlKind::InputReadout, {131, 415, 224, 426}, bitmap::kBackground, kMeterTag, false},
    {ControlKind::OutputReadout, {303, 415, 396, 426}, bitmap::kBackground, kMeterTag, false},
    {ControlKind::GainReadout, {217, 199, 310, 210}, bitmap::kBackground, kMeterTag, false},
};
constexpr std::size_t kControlCount = sizeof kControls / sizeof kControls[0];

// The row of the control of that kind (and, where several share a kind, that tag); a missing row does not
// compile.
consteval const Control& control(ControlKind kind, int tag = -1) {
    for (const Control& c : kControls)
        if (c.kind == kind && (tag < 0 || c.tag == tag)) return c;
    throw "no such control in the window table";
}

// The controls that save the metering preferences (each flashes when they are saved).
constexpr int kPreferenceButtonCount = [] {
    int n = 0;
    for (const Control& c : kControls) n += c.savesPreferences ? 1 : 0;
    return n;
}();

// ---------------------------------------------------------------------------------------------------------
// The meters' inner geometry

constexpr int kBarWidth = 15;          // every meter bar
constexpr int kLevelBarTop = 42;       // level bars run 360 px: 60 dB at 6 px per dB
constexpr int kLevelBarBottom = 402;
constexpr int kGainBarTop = 42;        // gain bars grow downwards from here
constexpr int kGainBarMaxLength = 145;

struct LevelMeterLayout {
    int leftBarX, rightBarX;  // each bar kBarWidth wide
    Rect scale;               // between the bars
    int scaleK20, scaleK14, scalePeakK12;  // the scale bitmaps of the meter modes
};
inline constexpr LevelMeterLayout kInputMeterLayout{
    150, 191, {164, 38, 191, 405}, bitmap::kInputScaleK20, bitmap::kInputScaleK14, bitmap::kInputScalePeakK12};
inline constexpr LevelMeterLayout kOutputMeterLayout{
    320, 363, {335, 38, 362, 405}, bitmap::kOutputScaleK20, bitmap::kOutputScaleK14, bitmap::kOutputScalePeakK12};
inline constexpr int kGainBarX[2] = {234, 275};

// The rows the level bars are read from: the lit bar's bottom shows strip row litBase − (bar height), so
// the strip's graduation lines up with the mode's scale; the unlit rest is drawn from row unlitTop on.
struct StripRows {
    int litBase, unlitTop;
};
inline constexpr StripRows kPeakStripRows{408, 48};                             // peak mode
inline constexpr StripRows kKStripRows[3] = {{432, 72}, {420, 60}, {384, 24}};  // K-12, K-14, K-20

// The transient-shape switch's three click zones, one per position, in window pixels.
inline constexpr Rect kTransShapeZones[3] = {{39, 123, 57, 141}, {72, 123, 90, 141}, {105, 123, 123, 141}};

// ---------------------------------------------------------------------------------------------------------
// The preset bar along the bottom edge

enum PresetBarTag : int {
    kNameFieldTag = 1000,
    kRockerTag = 1001,
    kLoadBankTag = 1002,
    kSaveBankTag = 1003,
    kLoadPresetTag = 1004,
    kSavePresetTag = 1005,
    kProgramMenuTag = 1012,
    kDefaultBankTag = 1013,
    kDefaultPresetTag = 1014,
    kMemoAStoreTag = 1015,
    kMemoBStoreTag = 1016,
    kMemoARecallTag = 1017,
    kMemoBRecallTag = 1018,
};

enum class PresetBarKind { NameField, ProgramMenu, Rocker, FileButton, KickButton, DoubleClickButton };

struct PresetBarControl {
    int tag;
    PresetBarKind kind;
    Rect rect;
    int bitmap;
    int images;  // sub-images stacked in the bitmap (0: drawn from the window background)
};

// In the order the controls are added to the frame, above the editor's own.
inline constexpr PresetBarControl kPresetBar[] = {
    {kNameFieldTag, PresetBarKind::NameField, {194, 447, 318, 461}, bitmap::kBackground, 0},
    {kProgramMenuTag, PresetBarKind::ProgramMenu, {320, 448, 333, 460}, bitmap::kBackground, 0},
    {kRockerTag, PresetBarKind::Rocker, {340, 447, 370, 460}, bitmap::kRocker, 5},
    {kLoadBankTag, PresetBarKind::FileButton, {72, 447, 89, 462}, bitmap::kLoadButton, 3},
    {kSaveBankTag, PresetBarKind::FileButton, {22, 447, 39, 462}, bitmap::kSaveButton, 3},
    {kDefaultBankTag, PresetBarKind::DoubleClickButton, {39, 447, 71, 460}, bitmap::kDefaultBankButton, 3},
    {kLoadPresetTag, PresetBarKind::FileButton, {166, 447, 183, 462}, bitmap::kLoadButton, 3},
    {kSavePresetTag, PresetBarKind::FileButton, {104, 447, 121, 462}, bitmap::kSaveButton, 3},
    {kDefaultPresetTag, PresetBarKind::DoubleClickButton, {122, 447, 166, 460}, bitmap::kDefaultPresetButton, 3},
    {kMemoARecallTag, PresetBarKind::KickButton, {421, 447, 438, 462}, bitmap::kLoadButton, 3},
    {kMemoAStoreTag, PresetBarKind::KickButton, {388, 447, 405, 462}, bitmap::kSaveButton, 3},
    {kMemoBRecallTag, PresetBarKind::KickButton, {486, 447, 503, 462}, bitmap::kLoadButton, 3},
    {kMemoBStoreTag, PresetBarKind::KickButton, {452, 447, 469, 462}, bitmap::kSaveButton, 3},
};
constexpr std::size_t kPresetBarCount = sizeof kPresetBar / sizeof kPresetBar[0];

consteval const PresetBarControl& presetBarControl(int tag) {
    for (const PresetBarControl& c : kPresetBar)
        if (c.tag == tag) return c;
    throw "no such preset bar control in the window table";
}

}  // namespace zarpa::window
