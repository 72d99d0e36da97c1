// Meter mode, AttShow bits and readout texts.
#include "editor/metering_rules.h"

#include <cstdio>
#include <cstring>

#include "editor/control_values.h"
#include "engine/parameters.h"
#include "layout/window_layout.h"

namespace zarpa {

int meterModeOf(float meterTypeValue, float scaleValue) {
    return readsOn(meterTypeValue) ? valueToStep(scaleValue, 3) + 1 : kPeakMode;
}

int readoutOffsetDb(int mode) {
    static constexpr int kOffsets[kMeterModeCount] = {0, 12, 14, 20};
    return mode >= 0 && mode < kMeterModeCount ? kOffsets[mode] : 0;
}

// AttShow's steps are the eight combinations of its three bits.
constexpr int kAttShowSteps = 8;

int attShowMask(float attShowValue) { return valueToStep(attShowValue, kAttShowSteps); }

float attShowWithBit(float attShowValue, int bit, bool on) {
    const int mask = attShowMask(attShowValue);
    return stepToValue(on ? (mask | bit) : (mask & ~bit), kAttShowSteps);
}

int attShowBitOfTag(int tag) {
    switch (tag) {
        case window::kAttShowBit1Tag: return 1;
        case window::kAttShowBit2Tag: return 2;
        case window::kAttShowBit4Tag: return 4;
        default: return 0;
    }
}

void peakReadoutText(float maximumDb, int offsetDb, char* out, std::size_t size) {
    const float v = maximumDb + static_cast<float>(offsetDb);
    if (v <= -100.0f)
        std::snprintf(out, size, "-oo");
    else
        std::snprintf(out, size, "%+2.1f", v);
}

void gainReadoutText(float minimumDb, char* out, std::size_t size) { std::snprintf(out, size, "%2.1f", minimumDb); }

int readoutTextX(int fieldX, const char* text) { return fieldX + 15 - 3 * static_cast<int>(std::strlen(text)); }

}  // namespace zarpa
