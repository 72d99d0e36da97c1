// Where the editor places each control in its 524 × 462 window: the artwork draws every control's
// frames over the piece of panel it covers, so the two must agree pixel for pixel.
#pragma once

#include "canvas.h"

namespace artgen::layout {

constexpr int kWindowWidth = 524;
constexpr int kWindowHeight = 462;

// Buttons and selectors.
constexpr Box kDetectorOrder{44, 40, 77, 59};
constexpr Box kOversample{81, 40, 114, 59};
constexpr Box kMeterMode{223, 305, 258, 361};
constexpr Box kQuantize{412, 40, 445, 59};
constexpr Box kAutoblack{449, 40, 482, 59};
constexpr Box kBits{412, 78, 445, 97};
constexpr Box kNoiseShape{449, 78, 482, 97};
constexpr Box kCalibrate{269, 341, 302, 360};
constexpr Box kAttZoom{269, 265, 302, 284};
constexpr Box kShowRelease{224, 265, 257, 284};    // gain-reduction source bit 1
constexpr Box kShowTransient{224, 230, 257, 249};  // bit 2
constexpr Box kShowLeveller{269, 230, 302, 249};   // bit 4
constexpr Box kTransShape{38, 121, 128, 146};
constexpr Box kPower{245, 400, 280, 435};
constexpr Box kAutoOut{394, 368, 412, 392};
constexpr Box kPostMeter{116, 368, 134, 392};
constexpr Box kMeterOvs{269, 307, 302, 326};
constexpr Box kInfo{224, 370, 301, 401};

// The transient-shape switch's three click zones, inclusive bounds in window pixels.
constexpr Box kTransShapeZones[3] = {{39, 123, 57, 141}, {72, 123, 90, 141}, {105, 123, 123, 141}};

// Knobs.
constexpr Box kTransientKnob{55, 169, 105, 217};
constexpr Box kReleaseKnob{56, 267, 105, 314};
constexpr Box kLevellerKnob{421, 169, 469, 216};
constexpr Box kLinkKnob{421, 267, 469, 314};
constexpr Box kDriveKnob{52, 349, 108, 404};
constexpr Box kOutputKnob{417, 349, 475, 405};

// Value fields under the knobs.
constexpr Box kDriveField{43, 409, 117, 427};
constexpr Box kOutputField{410, 409, 484, 427};
constexpr Box kTransientField{45, 221, 119, 239};
constexpr Box kReleaseField{45, 319, 119, 337};
constexpr Box kLevellerField{411, 221, 485, 239};
constexpr Box kLinkField{411, 319, 485, 337};

// Meters: control rectangles, bar columns (x ranges) and scale rectangles.
constexpr Box kInputMeter{147, 38, 207, 408};
constexpr Box kOutputMeter{319, 38, 379, 406};
constexpr int kBarTop = 42, kBarBottom = 402;  // level bars, 360 px = 60 dB at 6 px per dB
constexpr Box kInputBars[2] = {{150, kBarTop, 165, kBarBottom}, {191, kBarTop, 206, kBarBottom}};
constexpr Box kOutputBars[2] = {{320, kBarTop, 335, kBarBottom}, {363, kBarTop, 378, kBarBottom}};
constexpr Box kInputScale{164, 38, 191, 405};
constexpr Box kOutputScale{335, 38, 362, 405};
constexpr Box kGainMeter{233, 39, 291, 192};
constexpr Box kGainBars[2] = {{234, 42, 249, 187}, {275, 42, 290, 187}};  // 145 px at most

// Numeric readouts (5 × 8 font).
constexpr Box kInputReadout{131, 415, 224, 426};
constexpr Box kOutputReadout{303, 415, 396, 426};
constexpr Box kGainReadout{217, 199, 310, 210};

// Preset bar along the bottom edge.
constexpr Box kSaveBank{22, 447, 39, 462};
constexpr Box kDefaultBank{39, 447, 71, 460};
constexpr Box kLoadBank{72, 447, 89, 462};
constexpr Box kSavePreset{104, 447, 121, 462};
constexpr Box kDefaultPreset{122, 447, 166, 460};
constexpr Box kLoadPreset{166, 447, 183, 462};
constexpr Box kProgramName{194, 447, 318, 461};
constexpr Box kProgramMenu{320, 448, 333, 460};
constexpr Box kRocker{340, 447, 370, 460};
constexpr Box kMemoAStore{388, 447, 405, 462};
constexpr Box kMemoARecall{421, 447, 438, 462};
constexpr Box kMemoBStore{452, 447, 469, 462};
constexpr Box kMemoBRecall{486, 447, 503, 462};

}  // namespace artgen::layout
