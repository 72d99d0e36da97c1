// The per-user preferences under the PREFS key of the settings store: the six metering preferences (value
// names, parameters and steps), read by every new instance and written by the editor on request, and the
// editor's size.
#pragma once

#include "engine/parameters.h"

class AudioEffect;

namespace zarpa {

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

// Writes the step index of each of the six metering preferences, read from the effect's parameters, as a
// 32-bit value under the preferences key. False when the key cannot be created or a value not written.
bool storeMeteringPreferences(AudioEffect& effect);

constexpr const char* kEditorScaleValueName = "Editor_Scale";

// The stored size of the editor in percent, or 0 when none (or none of the editor's scales) is stored.
int storedEditorScale();
// Writes the choice (one of the editor's scales); false when it is not one or the store cannot be written.
bool storeEditorScale(int percent);

}  // namespace zarpa
