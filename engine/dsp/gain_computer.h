// The gain computer: release followers and transient envelope mixed by the transient amount S into
// one limiter gain per channel.
#pragma once

#include <array>

#include "engine/dsp/peak_detector.h"
#include "engine/dsp/release_followers.h"
#include "engine/dsp/transient_envelope.h"

namespace zarpa::dsp {

// Glossary: g limiter gain, Z = S + (1 - S)/F the followers' share (for the gain-reduction display),
// F follower peak, P transient envelope, S transient mix.
struct GainChunk {
    static constexpr int kMax = DetectorChunk::kMax;
    std::array<double, kMax> gainL, gainR;          // g
    std::array<double, kMax> followerL, followerR;  // Z
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

    // The gains for the n samples of a detector chunk; s is the transient mix S.
    void process(const DetectorChunk& in, int n, double s, const FollowerCoefficients& coefficients, bool twoStages,
                 GainChunk& out) {
        process(in, n, s, coefficients, twoStages, out, [](int) {});
    }
    // The same, with beside(i) run beside the followers' step of sample i (see ReleaseFollowers).
    template <typename Beside>
    [[gnu::always_inline]] void process(const DetectorChunk& in, int n, double s,
                                        const FollowerCoefficients& coefficients, bool twoStages, GainChunk& out,
                                        Beside&& beside) {
        const bool sameFollowers =
            ReleaseFollowers::processPair(followersL_, followersR_, in.lookAheadL.data(), in.lookAheadR.data(), n,
                                          coefficients, twoStages, in.fullyLinked, peakL_.data(), peakR_.data(),
                                          beside);
        mixWithEnvelope(in, n, s, sameFollowers, out);
    }

private:
    // The transient envelope of the chunk, mixed with the followers' peaks into the gains; sameFollowers:
    // both channels have the same F.
    void mixWithEnvelope(const DetectorChunk& in, int n, double s, bool sameFollowers, GainChunk& out);

    ReleaseFollowers followersL_;
    ReleaseFollowers followersR_;
    TransientEnvelope envelope_;
    std::array<double, GainChunk::kMax> peakL_{}, peakR_{};          // F
    std::array<double, GainChunk::kMax> envelopeL_{}, envelopeR_{};  // P
    std::array<double, GainChunk::kMax> followersShare_{};           // (1 - S)/F, for a channel to reuse
};

}  // namespace zarpa::dsp
