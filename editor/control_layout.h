// The editor's control table: every control's class, rectangle, bitmap, tag and parameter, in the order
// the controls are created and stacked (later ones lie above earlier ones), plus the knob settings and
// the value fields' colours.
#pragma once

#include <cstddef>

#include "toolkit/geometry.h"

namespace zarpa {

enum class ControlKind {
    ToggleButton,        // CZarpaButton
    OversamplingButton,  // COversamplingButton
    ModeButton,
    AutoBlack,
    Bits,
    NoiseShape,
    CalibButton,
    Knob,         // CMyKnob
    SpeedSwitch,  // CSpeedSwitch
    Info,         // CInfo
    ValueField,   // CTextEdit
    MeterIn,
    MeterOut,
    MeterGR,
    MeterLCD,
    MeterLCDGR,
};

struct ControlSpec {
    ControlKind kind;
    CRect rect;
    int bitmap;  // the control's own bitmap id (meters and readouts add their fixed set)
    int tag;
    bool savesPreferences;  // a right click saves the metering preferences
};

// Tags that are not parameter indices.
constexpr int kMeterTag = 27;
constexpr int kAttShowBit1Tag = 28;
constexpr int kAttShowBit2Tag = 29;
constexpr int kAttShowBit4Tag = 30;
constexpr int kLastEditorTag = 30;
constexpr int kScaleMenuTag = 40;  // the editor size menu (not a parameter)

constexpr int kBackgroundBitmap = 128;
constexpr int kFontBitmap = 137;
constexpr int kSecondFontBitmap = 138;
constexpr int kInfoBitmap = 157;  // asked for, deliberately absent: the closed panel shows the background
constexpr CCoord kEditorWidth = 524;
constexpr CCoord kEditorHeight = 462;

const ControlSpec* controlTable();
std::size_t controlCount();

struct KnobSetting {
    int tag;
    int frameHeight;       // 101 frames of this height
    float arrowIncrement;  // the arrow keys' step; a tenth of it with Shift
    float defaultValue;    // restored by a Control-click
};
const KnobSetting& knobSetting(int tag);  // tag of one of the six knobs

constexpr CColor kDarkFieldFontColor{213, 236, 246, 255};  // Drive, Output: light text on dark
constexpr CColor kDarkFieldBackColor{37, 36, 35, 255};
constexpr CColor kLightFieldFontColor{39, 39, 39, 255};  // the other fields: dark text on light
constexpr CColor kLightFieldBackColor{200, 200, 200, 255};
bool isDarkValueField(int tag);

}  // namespace zarpa
