// The control table and knob settings.
#include "editor/control_layout.h"

#include <iterator>

#include "engine/parameters.h"

namespace zarpa {

namespace {

using K = ControlKind;

constexpr ControlSpec kControls[] = {
    {K::ToggleButton, {44, 40, 77, 59}, 139, kDetectorOrder, false},
    {K::OversamplingButton, {81, 40, 114, 59}, 140, kOversample, false},
    {K::ModeButton, {223, 305, 258, 361}, 141, kScale, false},
    {K::ToggleButton, {412, 40, 445, 59}, 162, kQuantize, false},
    {K::AutoBlack, {449, 40, 482, 59}, 163, kAutoblack, false},
    {K::Bits, {412, 78, 445, 97}, 142, kBits, false},
    {K::NoiseShape, {449, 78, 482, 97}, 143, kNoiseShape, false},
    {K::CalibButton, {269, 341, 302, 360}, 145, kCalibrate, false},
    {K::ToggleButton, {269, 265, 302, 284}, 144, kAttZoom, true},
    {K::ToggleButton, {224, 265, 257, 284}, 164, kAttShowBit1Tag, true},
    {K::ToggleButton, {224, 230, 257, 249}, 165, kAttShowBit2Tag, true},
    {K::ToggleButton, {269, 230, 302, 249}, 166, kAttShowBit4Tag, true},
    {K::Knob, {55, 169, 105, 217}, 152, kTransient, false},
    {K::Knob, {56, 267, 105, 314}, 153, kRelease, false},
    {K::Knob, {421, 169, 469, 216}, 147, kLeveller, false},
    {K::Knob, {421, 267, 469, 314}, 148, kLink, false},
    {K::SpeedSwitch, {38, 121, 128, 146}, 146, kTransShape, false},
    {K::ToggleButton, {245, 400, 280, 435}, 149, kPower, false},
    {K::Knob, {52, 349, 108, 404}, 150, kDrive, false},
    {K::Knob, {417, 349, 475, 405}, 151, kOutput, false},
    {K::ToggleButton, {394, 368, 412, 392}, 161, kAutoOut, false},
    {K::ToggleButton, {116, 368, 134, 392}, 161, kPostMeter, true},
    {K::Info, {224, 370, 301, 401}, kInfoBitmap, 0, false},
    {K::ValueField, {43, 409, 117, 427}, kBackgroundBitmap, kDrive, false},
    {K::ValueField, {410, 409, 484, 427}, kBackgroundBitmap, kOutput, false},
    {K::ValueField, {45, 221, 119, 239}, kBackgroundBitmap, kTransient, false},
    {K::ValueField, {45, 319, 119, 337}, kBackgroundBitmap, kRelease, false},
    {K::ValueField, {411, 221, 485, 239}, kBackgroundBitmap, kLeveller, false},
    {K::ValueField, {411, 319, 485, 337}, kBackgroundBitmap, kLink, false},
    {K::ToggleButton, {269, 307, 302, 326}, 160, kMeterOvs, true},
    {K::MeterIn, {147, 38, 207, 408}, kBackgroundBitmap, kMeterTag, false},
    {K::MeterOut, {319, 38, 379, 406}, kBackgroundBitmap, kMeterTag, false},
    {K::MeterGR, {233, 39, 291, 192}, 156, kMeterTag, false},
    {K::MeterLCD, {131, 415, 224, 426}, kBackgroundBitmap, kMeterTag, false},
    {K::MeterLCD, {303, 415, 396, 426}, kBackgroundBitmap, kMeterTag, false},
    {K::MeterLCDGR, {217, 199, 310, 210}, kBackgroundBitmap, kMeterTag, false},
};

// Both odd increments are 0.625 dB as single-precision fractions of the 12 dB and 48 dB ranges.
constexpr KnobSetting kKnobs[] = {
    {kTransient, 48, 0.03125f, 0.2f}, {kRelease, 47, 0.03125f, 0.7237f},  {kLeveller, 47, 0.05208336f, 1.0f},
    {kLink, 47, 0.03125f, 1.0f},      {kDrive, 55, 0.01302084f, 0.5f},    {kOutput, 56, 0.05208336f, 1.0f},
};

}  // namespace

const ControlSpec* controlTable() { return kControls; }
std::size_t controlCount() { return std::size(kControls); }

const KnobSetting& knobSetting(int tag) {
    for (const KnobSetting& k : kKnobs)
        if (k.tag == tag) return k;
    return kKnobs[0];
}

bool isDarkValueField(int tag) { return tag == kDrive || tag == kOutput; }

}  // namespace zarpa
