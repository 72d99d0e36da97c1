// The interpolator's coefficient table and its 64-tap sum.
#include "engine/dsp/half_sample_interpolator.h"

namespace zarpa::dsp {

namespace {

// Half of each symmetric tap pair's weight, outermost pair first; the filter uses twice each value,
// and the 64 taps then sum to 0.99999973.
constexpr double kHalfTaps[32] = {
    -4.763696282094e-07, 1.998243211857e-06,  -5.59451993319e-06,  1.233950728987e-05,
    -2.390300486257e-05, 4.265195384663e-05,  -7.176381980318e-05, 0.0001153490356228,
    -0.000178579162669,  0.0002678174647425,  -0.0003907495989578, 0.0005565144132189,
    -0.000775838777941,  0.001061186491039,   -0.001426940379682,  0.001889650102735,
    -0.002468398132052,  0.003185367085931,   -0.004066740630815,  0.005144152078855,
    -0.00645703822168,   0.008056519728669,   -0.01001194089823,   0.012422252953,
    -0.01543673753879,   0.01929508222185,    -0.02441136236933,   0.03157011681841,
    -0.04245854577816,   0.06147574255944,    -0.1047780783523,    0.3178658799033,
};

constexpr std::array<double, 32> doubled() {
    std::array<double, 32> taps{};
    for (int k = 0; k < 32; ++k) taps[static_cast<std::size_t>(k)] = 2.0 * kHalfTaps[k];
    return taps;
}

constexpr std::array<double, 32> kTaps = doubled();

}  // namespace

void HalfSampleInterpolator::reset() {
    ring_.fill(Stereo{});
    position_ = 0;
}

Stereo HalfSampleInterpolator::halfSample() const {
    // Tap pair k joins the sample k steps back with the sample 63 - k steps back; k = 0 is the outermost.
    const Stereo* newest = &ring_[static_cast<std::size_t>(position_ + kLength)];
    const Stereo* oldest = &ring_[static_cast<std::size_t>(position_ + 1)];
    double l = 0.0;
    double r = 0.0;
    for (int k = 0; k < 32; ++k) {
        const double c = kTaps[static_cast<std::size_t>(k)];
        l += c * (newest[-k].l + oldest[k].l);
        r += c * (newest[-k].r + oldest[k].r);
    }
    return {l, r};
}

}  // namespace zarpa::dsp
