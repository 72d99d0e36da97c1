#include "editor/editor_scale.h"

#include <cmath>

#include "editor/control_layout.h"

namespace zarpa {

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
