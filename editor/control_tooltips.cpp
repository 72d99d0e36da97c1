#include "editor/control_tooltips.h"

#include "engine/parameters.h"

namespace zarpa {

namespace {

const char* knobTooltip(int tag) {
    switch (tag) {
        case kTransient: return "Transient amount. Drag or wheel; Shift: fine; Ctrl+click: default";
        case kRelease: return "Release time. Drag or wheel; Shift: fine; Ctrl+click: default";
        case kLeveller: return "Leveller threshold (far right: off). Drag or wheel; Shift: fine; Ctrl+click: off";
        case kLink: return "Stereo link of the gain reduction. Drag or wheel; Shift: fine; Ctrl+click: default";
        case kDrive: return "Drive: gain into the limiter. Drag or wheel; Shift: fine; Ctrl+click: 0 dB";
        case kOutput: return "Output level after the limiter. Drag or wheel; Shift: fine; Ctrl+click: 0 dB";
        default: return "";
    }
}

const char* fieldTooltip(int tag) {
    switch (tag) {
        case kTransient: return "Transient in %: click to type a value";
        case kRelease: return "Release in ms (1 to 1000): click to type a value";
        case kLeveller: return "Leveller threshold in dB (-12 to 0, or off): click to type a value";
        case kLink: return "Stereo link in %: click to type a value";
        case kDrive: return "Drive in dB (-24 to +24): click to type a value";
        case kOutput: return "Output level in dB (-12 to 0): click to type a value";
        default: return "";
    }
}

const char* buttonTooltip(int tag) {
    switch (tag) {
        case kDetectorOrder: return "Release followers: one smoothing stage (I) or two (II)";
        case kOversample: return "ISP: the detector also catches the peaks between samples";
        case kQuantize: return "Requantize the output to the word length below, with dither";
        case kPower: return "Power: limiter on; off passes the delayed signal through";
        case kAutoOut: return "Auto: the output follows the drive, so louder does not read as better";
        case kPostMeter: return "Post: the input meters include the drive gain. Right click: save the metering defaults";
        case kAttZoom: return "Zoom the gain-reduction meter to 12 dB. Right click: save the metering defaults";
        case kAttShowBit1Tag: return "Show the release followers' gain reduction. Right click: save the metering defaults";
        case kAttShowBit2Tag: return "Show the transient envelope's gain reduction. Right click: save the metering defaults";
        case kAttShowBit4Tag: return "Show the leveller's gain reduction. Right click: save the metering defaults";
        case kMeterOvs: return "ISP metering: output meters show peaks between samples. Right click: save defaults";
        default: return "";
    }
}

}  // namespace

const char* controlTooltip(const ControlSpec& spec) {
    switch (spec.kind) {
        case ControlKind::ToggleButton: return buttonTooltip(spec.tag);
        case ControlKind::OversamplingButton: return buttonTooltip(spec.tag);
        case ControlKind::ModeButton: return "Meters: PEAK, or K-system (click K again for K-12, K-14, K-20). Right click: save defaults";
        case ControlKind::AutoBlack: return "Black: fade the dither out to digital silence when the signal stops";
        case ControlKind::Bits: return "Word length of the requantizer: 8, 16 or 24 bits (click to step)";
        case ControlKind::NoiseShape: return "Noise shaping of the dither: off, A, B or C (click to step)";
        case ControlKind::CalibButton: return "Calibration noise: off, left, both uncorrelated, right (click to step)";
        case ControlKind::Knob: return knobTooltip(spec.tag);
        case ControlKind::SpeedSwitch: return "Transient shape: hard, medium or soft";
        case ControlKind::Info: return "About: version and processing latency (click). Right click: editor size";
        case ControlKind::ValueField: return fieldTooltip(spec.tag);
        case ControlKind::MeterIn: return "Input level, left and right. Click: reset all meters";
        case ControlKind::MeterOut: return "Output level, left and right. Click: reset all meters";
        case ControlKind::MeterGR: return "Gain reduction, left and right. Click: reset all meters";
        case ControlKind::InputReadout:
        case ControlKind::OutputReadout: return "Highest peak since the last reset; red: above 0 dBFS. Click: reset";
        case ControlKind::GainReadout: return "Largest gain reduction since the last reset. Click: reset";
    }
    return "";
}

}  // namespace zarpa
