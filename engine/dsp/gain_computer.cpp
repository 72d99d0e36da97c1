// The gain computer's chunk step after the followers: the transient envelope, then the mix for the chunk.
#include "engine/dsp/gain_computer.h"

#include "engine/dsp/simd.h"

namespace zarpa::dsp {

namespace {

// g = S/max(P, 1) + (1 - S)/max(P, F): since P is at least the output sample's own peak, g·|u| <= 1.
[[gnu::always_inline]] inline void mixOne(const double* p, const double* f, int i, double s, double* gain,
                                          double* follower) {
    gain[i] = s / (p[i] > 1.0 ? p[i] : 1.0) + (1.0 - s) / (p[i] > f[i] ? p[i] : f[i]);
    follower[i] = s + (1.0 - s) / f[i];
}

// The same four samples at a time, each lane exactly as mixOne. The divisions take most of the time,
// and most of them divide by exactly 1 or repeat another one: while P <= 1, max(P, 1) is 1; F is never
// below 1, so while F is not above 1 it is 1; while P <= F, max(P, F) is F. A division is made only
// when a lane needs it; x/1 is x exactly, so the results are the same bits.
// With kShared, the followers' share (1 - S)/F is kept in `shared` (kKeep) or taken from it (kTake), for a
// channel with the same F.
enum class Share { kNone, kKeep, kTake };
template <Share kShared>
void mix(const double* p, const double* f, int n, double s, double* gain, double* follower, double* shared) {
    using simd::Lanes;
    const Lanes one = Lanes{} + 1.0;
    const Lanes share = Lanes{} + s;
    const Lanes rest = Lanes{} + (1.0 - s);
    int i = 0;
    for (; i + simd::kLanes <= n; i += simd::kLanes) {
        Lanes peak, follow, followers;  // followers: (1 - S)/F
        simd::load(peak, p + i);
        simd::load(follow, f + i);
        if constexpr (kShared == Share::kTake) {
            simd::load(followers, shared + i);
        } else {
            followers = simd::any(follow > one) ? rest / follow : rest;
            if constexpr (kShared == Share::kKeep) simd::store(shared + i, followers);
        }
        const Lanes envelope = simd::any(peak > one) ? share / (peak > one ? peak : one) : share;
        const Lanes limited = simd::any(peak > follow) ? rest / (peak > follow ? peak : follow) : followers;
        simd::store(gain + i, envelope + limited);
        simd::store(follower + i, share + followers);
    }
    for (; i < n; ++i) mixOne(p, f, i, s, gain, follower);
}

}  // namespace

void GainComputer::mixWithEnvelope(const DetectorChunk& in, int n, double s, bool sameFollowers, GainChunk& out) {
    // Envelope values up to 1 all give the same gain (max(P, 1) is 1, max(P, F) is F): they may come as 1.
    envelope_.process(in.detectorL.data(), in.detectorR.data(), n, envelopeL_.data(), envelopeR_.data(), true);
    if (sameFollowers) {
        mix<Share::kKeep>(envelopeL_.data(), peakL_.data(), n, s, out.gainL.data(), out.followerL.data(),
                          followersShare_.data());
        mix<Share::kTake>(envelopeR_.data(), peakR_.data(), n, s, out.gainR.data(), out.followerR.data(),
                          followersShare_.data());
    } else {
        mix<Share::kNone>(envelopeL_.data(), peakL_.data(), n, s, out.gainL.data(), out.followerL.data(), nullptr);
        mix<Share::kNone>(envelopeR_.data(), peakR_.data(), n, s, out.gainR.data(), out.followerR.data(), nullptr);
    }
}

}  // namespace zarpa::dsp
