// The noise-shaping filter sets: three shapes at six sample rates, 12 error-feedback taps each.
#pragma once

#include <array>

namespace zarpa::dsp {

inline constexpr int kNoiseShapeTaps = 12;
using NoiseShapeTaps = std::array<double, kNoiseShapeTaps>;

// shapeStep 1 "type A", 2 "type B", 3 "type C". Returns the set for that shape at rate, or nullptr when
// the rate has no sets (or the step is not a shape): the caller then keeps the set it had.
const NoiseShapeTaps* findNoiseShapeTaps(int shapeStep, int rate);

}  // namespace zarpa::dsp
