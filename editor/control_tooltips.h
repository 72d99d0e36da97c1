// The hover help of the editor's own controls: what each is and what its clicks do.
#pragma once

#include "editor/control_layout.h"

namespace zarpa {

// One line for the control of a table row (never null; every row has one).
const char* controlTooltip(const ControlSpec& spec);

}  // namespace zarpa
