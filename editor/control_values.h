// What the editor's own controls share: a value read as on or off, and the answer to a click they used.
#pragma once

#include "engine/parameters.h"
#include "toolkit/keys.h"

namespace zarpa {

// On from 0.5 up: the upper of a switch's two steps.
inline bool readsOn(float value) { return valueToStep(value, 2) == 1; }

// A click the control acted on: it wants no moves and no release.
constexpr CMouseEventResult kConsumed = kMouseDownEventHandledButDontNeedMovedOrUpEvents;

}  // namespace zarpa
