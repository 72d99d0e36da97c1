// Meter mode, AttShow bits and readout texts.
#include "editor/metering_rules.h"

#include <cstdio>
#include <cstring>

#include "engine/parameters.h"

namespace zarpa {

int meterModeOf(float meterTypeValue, float scaleValue) {
    return valueToStep(meterTypeValue, 2) == 1 ? valueToStep(scaleValue, 3) + 1 : kPeakMode;
}

int readoutOffsetDb(int mode) {
    static constexpr int kOffsets[kMeterModeCount] = {0, 12, 14, 20};
    return mode >= 0 && mode < kMeterModeCount ? kOffsets[mode] : 0;
}

float attShowWithBit(float attShowValue, int bit, bool on) {
    int mask = valueToStep(attShowValue, 8);
    mask = on ? (mask | bit) : (mask & ~bit);
    return stepToValue(mask, 8);
}

int attShowBitOfTag(int tag) {
    switch (tag) {
        case 28: return 1;
        case 29: return 2;
        case 30: return 4;
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
