// The 26 parameter indices, in host order. A header of its own, free of every other declaration, so that
// the window table (and the artwork generator through it) can name the parameter a control drives.
#pragma once

namespace zarpa {

enum ParamIndex : int {
    kOutput = 0,
    kDrive,
    kTransient,
    kRelease,
    kTransShape,
    kLink,
    kOversample,
    kDetectorOrder,
    kPower,
    kScale,
    kBits,
    kNoiseShape,
    kCalibrate,
    kLeveller,
    kMeterOvs,
    kAutoOut,
    kQuantize,
    kAutoblack,
    kMeterType,
    kAttZoom,
    kAttShow,
    kPostMeter,
    kDummy1,
    kDummy2,
    kDummy3,
    kVersionMarker,
    kParamCount
};

}  // namespace zarpa
