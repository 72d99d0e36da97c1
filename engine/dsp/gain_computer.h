// The gain computer: release followers and transient envelope mixed by the transient amount S into
// one limiter gain per channel.
#pragma once

#include "engine/dsp/release_followers.h"
#include "engine/dsp/transient_envelope.h"

namespace zarpa::dsp {

struct GainOutput {
    Stereo gain;      // g: the limiter gain
    Stereo follower;  // Z = S + (1 - S)/F: the followers' share, for the gain-reduction display
};

// Audio thread only; configure and reset run under the instance lock.
class GainComputer {
public:
    void configure(int window, int envelopeDelay) { envelope_.configure(window, envelopeDelay); }
    void reset() {
        followersL_.reset();
        followersR_.reset();
        envelope_.reset();
    }

    // c detector values, d linked look-ahead peaks, s transient mix S.
    GainOutput step(Stereo c, Stereo d, double s, const FollowerCoefficients& coefficients, bool twoStages) {
        const double fl = followersL_.step(d.l, coefficients, twoStages);
        const double fr = followersR_.step(d.r, coefficients, twoStages);
        const Stereo p = envelope_.step(c);
        GainOutput out;
        out.gain.l = mix(s, p.l, fl);
        out.gain.r = mix(s, p.r, fr);
        out.follower.l = s + (1.0 - s) / fl;
        out.follower.r = s + (1.0 - s) / fr;
        return out;
    }

private:
    // g = S/max(P, 1) + (1 - S)/max(P, F): since P is at least the output sample's own peak, g·|u| <= 1.
    static double mix(double s, double p, double f) {
        return s / (p > 1.0 ? p : 1.0) + (1.0 - s) / (p > f ? p : f);
    }

    ReleaseFollowers followersL_;
    ReleaseFollowers followersR_;
    TransientEnvelope envelope_;
};

}  // namespace zarpa::dsp
