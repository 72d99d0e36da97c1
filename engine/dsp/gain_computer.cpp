// The gain computer's chunk step: followers and envelope per sample, then the mix for the chunk.
#include "engine/dsp/gain_computer.h"

#include "engine/dsp/simd.h"

namespace zarpa::dsp {

namespace {

// g = S/max(P, 1) + (1 - S)/max(P, F): since P is at least the output sample's own peak, g·|u| <= 1.
void mix(const double* p, const double* f, int n, double s, double* gain, double* follower) {
    for (int i = 0; i < n; ++i) {
        gain[i] = s / (p[i] > 1.0 ? p[i] : 1.0) + (1.0 - s) / (p[i] > f[i] ? p[i] : f[i]);
        follower[i] = s + (1.0 - s) / f[i];
    }
}

}  // namespace

void GainComputer::process(const DetectorChunk& in, int n, double s, const FollowerCoefficients& coefficients,
                           bool twoStages, GainChunk& out) {
    ReleaseFollowers::processPair(followersL_, followersR_, in.lookAheadL.data(), in.lookAheadR.data(), n,
                                  coefficients, twoStages, peakL_.data(), peakR_.data());
    envelope_.process(in.detectorL.data(), in.detectorR.data(), n, envelopeL_.data(), envelopeR_.data());
    mix(envelopeL_.data(), peakL_.data(), n, s, out.gainL.data(), out.followerL.data());
    mix(envelopeR_.data(), peakR_.data(), n, s, out.gainR.data(), out.followerR.data());
}

}  // namespace zarpa::dsp
