// The editor's view of the window table: its rows as toolkit rectangles, plus what only the editor knows
// about its controls (the knobs' keyboard steps and defaults, the value fields' colours).
#pragma once

#include "layout/window_layout.h"
#include "toolkit/geometry.h"

namespace zarpa {

using window::ControlKind;
using ControlSpec = window::Control;
using window::kAttShowBit1Tag;
using window::kAttShowBit2Tag;
using window::kAttShowBit4Tag;
using window::kLastEditorTag;
using window::kMeterTag;

constexpr int kScaleMenuTag = 40;  // the editor size menu (not a parameter)

constexpr CCoord kEditorWidth = window::kWidth;
constexpr CCoord kEditorHeight = window::kHeight;

constexpr CRect toCRect(const window::Rect& r) { return CRect(r.left, r.top, r.right, r.bottom); }
// The table rectangle of the control of that kind (and tag, where several share the kind).
consteval CRect controlRect(ControlKind kind, int tag = -1) { return toCRect(window::control(kind, tag).rect); }

struct KnobSetting {
    int tag;
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
