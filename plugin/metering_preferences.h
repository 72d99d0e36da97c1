// The six metering preferences kept in the per-user settings store: value names, parameters and steps.
// Read by every new instance, written by the editor on request.
#pragma once

#include "engine/parameters.h"

namespace zarpa {

constexpr const char* kSettingsKeyPath = "SOFTWARE\\OKA-tonelab\\OKAzarpa";
constexpr const char* kPreferencesKeyPath = "SOFTWARE\\OKA-tonelab\\OKAzarpa\\PREFS";

struct MeteringPreference {
    const char* valueName;
    int param;
    int steps;
};

// In the order they are read and written.
constexpr MeteringPreference kMeteringPreferences[] = {
    {"Metering_Scale", kScale, 3},     {"Metering_Type", kMeterType, 2}, {"Metering_Zoom", kAttZoom, 2},
    {"Metering_AttShow", kAttShow, 8}, {"Metering_Recon", kMeterOvs, 2}, {"Metering_Post", kPostMeter, 2},
};

}  // namespace zarpa
