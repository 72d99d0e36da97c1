// The preferences in the per-user settings store.
#include "plugin/preferences.h"

#include <algorithm>
#include <cstdint>

#include "editor/editor_scale.h"
#include "host/audioeffect.h"
#include "platform/platform.h"

namespace zarpa {

bool storeMeteringPreferences(AudioEffect& effect) {
    auto key = platform::createSettingsKey(kPreferencesKeyPath);
    if (!key) return false;
    bool ok = true;
    for (const MeteringPreference& pref : kMeteringPreferences) {
        const std::int32_t step = valueToStep(effect.getParameter(pref.param), pref.steps);
        ok = key->writeValue(pref.valueName, platform::ValueType::Dword, &step, sizeof step) && ok;
    }
    return ok;
}

namespace {
bool isEditorScale(std::int32_t percent) { return std::ranges::find(kEditorScales, percent) != std::end(kEditorScales); }
}  // namespace

int storedEditorScale() {
    const auto key = platform::openSettingsKey(kPreferencesKeyPath);
    std::int32_t percent = 0;
    if (!key || key->readValue(kEditorScaleValueName, &percent, sizeof percent) != sizeof percent) return 0;
    return isEditorScale(percent) ? percent : 0;
}

bool storeEditorScale(int percent) {
    if (!isEditorScale(percent)) return false;
    const auto key = platform::createSettingsKey(kPreferencesKeyPath);
    const std::int32_t value = percent;
    return key && key->writeValue(kEditorScaleValueName, platform::ValueType::Dword, &value, sizeof value);
}

}  // namespace zarpa
