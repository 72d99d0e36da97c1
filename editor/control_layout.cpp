// The knob settings and the value fields' colour choice.
#include "editor/control_layout.h"

#include "engine/parameters.h"

namespace zarpa {

namespace {

// Both odd increments are 0.625 dB as single-precision fractions of the 12 dB and 48 dB ranges.
constexpr KnobSetting kKnobs[] = {
    {kTransient, 0.03125f, 0.2f}, {kRelease, 0.03125f, 0.7237f}, {kLeveller, 0.05208336f, 1.0f},
    {kLink, 0.03125f, 1.0f},      {kDrive, 0.01302084f, 0.5f},   {kOutput, 0.05208336f, 1.0f},
};

}  // namespace

const KnobSetting& knobSetting(int tag) {
    for (const KnobSetting& k : kKnobs)
        if (k.tag == tag) return k;
    return kKnobs[0];
}

bool isDarkValueField(int tag) { return tag == kDrive || tag == kOutput; }

}  // namespace zarpa
