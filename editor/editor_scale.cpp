#include "editor/editor_scale.h"

#include <cmath>
#include <cstdint>

#include "editor/control_layout.h"
#include "platform/platform.h"
#include "plugin/metering_preferences.h"

namespace zarpa {

namespace {
bool isEditorScale(std::int32_t percent) { return percent == 100 || percent == 150 || percent == 200; }
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

int editorScaleForFactor(float factor) {
    if (!std::isfinite(factor) || factor <= 0.0f) return 0;
    if (factor >= 1.75f) return 200;
    if (factor >= 1.25f) return 150;
    return 100;
}

CRect scaledEditorRect(int percent) {
    return CRect(0, 0, kEditorWidth * percent / 100, kEditorHeight * percent / 100);
}

}  // namespace zarpa
