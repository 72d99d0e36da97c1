// The 24 factory presets, one table.
#pragma once

#include "records/program_record.h"

namespace zarpa {

struct FactoryPreset {
    const char* name;
    float values[kNumParams];
};

// Preset k = 0..23 in table order.
const FactoryPreset& factoryPreset(int k);

}  // namespace zarpa
