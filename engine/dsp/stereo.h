// One stereo sample pair: the unit every stage of the signal path steps with.
#pragma once

namespace zarpa::dsp {

struct Stereo {
    double l = 0.0;
    double r = 0.0;
};

static_assert(sizeof(Stereo) == 2 * sizeof(double), "a stereo pair is two adjacent doubles");

}  // namespace zarpa::dsp
