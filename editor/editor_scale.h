// The editor's size: 100 %, 150 % or 200 % of the 524 × 462 window. The user's choice is kept beside the
// metering preferences (the effect stores it); without one, the host's content-scale factor decides; without that, 100 %.
#pragma once

#include "toolkit/geometry.h"

namespace zarpa {

constexpr int kEditorScales[] = {100, 150, 200};

// The nearest of the three scales to a host's factor (1.0 gives 100, 1.5 150, 2.0 200; 1.25 and up 150,
// 1.75 and up 200); 0 for a factor that is not a finite positive number.
int editorScaleForFactor(float factor);
// The window at a scale, in device pixels: 524 × 462, 786 × 693, 1048 × 924.
CRect scaledEditorRect(int percent);

}  // namespace zarpa
