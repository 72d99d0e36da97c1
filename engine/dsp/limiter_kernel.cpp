// The limiter kernel in signal order: the drive stage, detector, gain computer and output stage of each
// chunk. This file and the stages' loops it calls are compiled once per instruction set (see
// engine/CMakeLists.txt); instruction_set.cpp picks one copy per process.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/dsp/instruction_set.h"
#include "engine/dsp/output_stage.h"
#include "engine/dsp/signal_path.h"
#include "engine/dsp/simd.h"

namespace zarpa::dsp {

namespace {

// Input magnitudes are limited to this (about +400 dBFS): anything louder is garbage, and the limit
// keeps every product and square of the path finite in the 64-bit entry too.
constexpr double kInputLimit = 1e20;

// A non-finite input sample counts as silence: one NaN would otherwise stay in the followers, the
// leveller average and the envelope for good. Both channels at once.
inline simd::Pair sanitize(simd::Pair x) {
    using simd::Pair;
    const Pair magnitude = simd::magnitude(x);
    const Pair loudest = x > 0.0 ? Pair{} + kInputLimit : Pair{} - kInputLimit;
    const Pair bounded = magnitude <= std::numeric_limits<double>::max() ? loudest : Pair{};  // not for inf, NaN
    return magnitude <= kInputLimit ? x : bounded;
}

// The gain-reduction display values under the AttShow mask: (Z·(g/Z))·g_lev with all three bits.
inline double displayGain(int mask, double z, double g, double level) {
    const double followers = (mask & 1) ? z : 1.0;
    const double envelope = (mask & 2) ? g / z : 1.0;
    const double leveller = (mask & 4) ? level : 1.0;
    return followers * envelope * leveller;
}

// The same four at a time. While the transient envelope takes no share of its own, g equals Z (the
// same operations on the same values), and g/Z is exactly 1: the division is made only when a lane
// needs it.
void displayGains(int mask, const double* z, const double* g, const double* level, int n, double* out) {
    using simd::Lanes;
    const Lanes one = Lanes{} + 1.0;
    int i = 0;
    for (; i + simd::kLanes <= n; i += simd::kLanes) {
        Lanes follower, gain, leveller;
        simd::load(follower, z + i);
        simd::load(gain, g + i);
        simd::load(leveller, level + i);
        const Lanes envelope = (mask & 2) && simd::any(gain != follower) ? gain / follower : one;
        simd::store(out + i, ((mask & 1) ? follower : one) * envelope * ((mask & 4) ? leveller : one));
    }
    for (; i < n; ++i) out[i] = displayGain(mask, z[i], g[i], level[i]);
}

// The stages the drive loop steps, the values it reads and the chunk arrays it fills.
struct DriveStages {
    GainGlide& drive;
    GainGlide& output;
    StereoDelay& dry;
    Leveller& leveller;
};
struct DriveSettings {
    double driveTarget;
    double outputTarget;
    double levellerThreshold;
    bool levellerOff;
};

// The drive stage of one chunk with its state in locals: gain glides, dry delay, leveller, and the
// driven signal u.
template <bool kGliding>
class DriveLoop {
public:
    explicit DriveLoop(const DriveStages& st)
        : drive_(st.drive), output_(st.output), leveller_(st.leveller), dry_(st.dry.run()) {}

    template <typename T>
    [[gnu::always_inline]] void step(int i, const T* inL, const T* inR, const DriveSettings& s,
                                     DrivenChunk& out) {
        // Both channels side by side as one vector value.
        const simd::Pair x = sanitize(simd::Pair{static_cast<double>(inL[i]), static_cast<double>(inR[i])});

        // Gain glides.
        const double g = kGliding ? drive_.step(s.driveTarget) : drive_.value();
        out.output[i] = kGliding ? output_.step(s.outputTarget) : output_.value();

        // Dry delay: the raw input, aligned with the output, for bypass and the input meters.
        const Stereo dry = dry_.exchange(simd::stereo(x));
        out.dryL[i] = dry.l;
        out.dryR[i] = dry.r;

        // Leveller, then the driven signal u.
        const simd::Pair driven = x * g;
        const double level = leveller_.step(simd::stereo(driven), s.levellerThreshold, s.levellerOff);
        out.level[i] = level;
        const simd::Pair u = level * driven;
        out.uL[i] = u[0];
        out.uR[i] = u[1];
    }

    void finish(const DriveStages& st) const {
        st.drive = drive_;
        st.output = output_;
        st.leveller = leveller_;
        st.dry.finish(dry_);
    }

private:
    GainGlide drive_, output_;
    Leveller leveller_;
    StereoDelay::Run dry_;
};

template <bool kGliding, typename T>
void driveAlone(const DriveStages& st, const T* inL, const T* inR, int n, const DriveSettings& s,
                DrivenChunk& out) {
    DriveLoop<kGliding> loop(st);
    for (int i = 0; i < n; ++i) loop.step(i, inL, inR, s, out);
    loop.finish(st);
}

}  // namespace

template <typename T>
void SignalPath::drive(const T* inL, const T* inR, int n, const BlockSettings& s, double outputTarget,
                       Driven& out) {
    // Gain glides, dry delay, leveller and the driven signal u. Settled glides (a step no longer moves
    // them) stay where they are: no need to step them per sample.
    const DriveStages stages{drive_, output_, dry_, leveller_};
    const DriveSettings settings{s.driveTarget, outputTarget, s.levellerThreshold, s.levellerOff};
    if (drive_.settled(s.driveTarget) && output_.settled(outputTarget))
        driveAlone<false>(stages, inL, inR, n, settings, out);
    else
        driveAlone<true>(stages, inL, inR, n, settings, out);
}

template <typename T>
void SignalPath::limitBlock(const T* inL, const T* inR, T* outL, T* outR, int frames, const BlockSettings& s) {
    if (frames <= 0) return;
    const double outputTarget = s.autoOut ? 1.0 / s.driveTarget : s.outputTarget;
    const double inputMeterGain = s.postMeter ? 1.0 : drive_.value();
    // The drive stage runs a chunk ahead of the rest, so that the requantizer's loop can sum the next
    // chunk's half-sample points beside it.
    drive(inL, inR, frames < kChunk ? frames : kChunk, s, outputTarget, driven_[0]);
    bool interpolated = false;
    for (int start = 0, k = 0; start < frames; start += kChunk, ++k) {
        const int n = frames - start < kChunk ? frames - start : kChunk;
        const int next = start + n;
        const NextChunk<T> nextChunk{inL + next, inR + next, frames - next < kChunk ? frames - next : kChunk};
        limitChunk(driven_[static_cast<std::size_t>(k & 1)], driven_[static_cast<std::size_t>((k + 1) & 1)],
                   nextChunk, interpolated, outL + start, outR + start, n, s, outputTarget, inputMeterGain);
    }
}

template <typename T>
void SignalPath::limitChunk(const Driven& d, Driven& nextDriven, const NextChunk<T>& next, bool& interpolated,
                            T* outL, T* outR, int n, const BlockSettings& s, double outputTarget,
                            double inputMeterGain) {
    Chunk& c = chunk_;

    // Peak detector (its interpolation may have run beside the last chunk's requantizer).
    if (interpolated)
        detector_.detectInterpolated(n, s.oversample, s.link, detected_);
    else
        detector_.process(d.uL.data(), d.uR.data(), n, s.oversample, s.link, detected_);
    interpolated = false;

    // Gain computer, and the gain-reduction display values.
    gain_.process(detected_, n, s.transientMix, followerCoefficients_, s.twoStageFollowers, gains_);
    displayGains(s.attShow, gains_.followerL.data(), gains_.gainL.data(), d.level.data(), n, c.displayL.data());
    displayGains(s.attShow, gains_.followerR.data(), gains_.gainR.data(), d.level.data(), n, c.displayR.data());

    // Look-ahead delay, Power, the input, gain-reduction and output meters, and the requantizer; the next
    // chunk's drive stage.
    const OutputStages output{lookAhead_, meters_, detected_, gains_, d.dryL.data(), d.dryR.data(), d.output.data(),
                              c.displayL.data(), c.displayR.data(), s.power, inputMeterGain};
    Requantizer::Run q = requantizer_.run(s.quantizerScale, s.autoblack, dither_);
    double* yL = c.yL.data();
    double* yR = c.yR.data();
    double* qL = c.qL.data();
    double* qR = c.qR.data();
    const int taps = tapCount(requantizer_, s.quantize);
    if (s.meterOversample) {
        limitedSamples(output, n, yL, yR);
        SumsAhead ahead{};
        if (next.n > 0) {
            drive(next.inL, next.inR, next.n, s, outputTarget, nextDriven);
            if (s.oversample) {
                HalfSampleInterpolator& interpolator = detector_.interpolator();
                std::copy(nextDriven.uL.begin(), nextDriven.uL.begin() + next.n, interpolator.appendedL());
                std::copy(nextDriven.uR.begin(), nextDriven.uR.begin() + next.n, interpolator.appendedR());
                ahead = {&interpolator, detector_.halfL(), detector_.halfR()};
                interpolated = true;
            }
        }
        requantizedOutput(taps, output, n, yL, yR, q, qL, qR, interpolated ? &ahead : nullptr);
    } else {
        limitedOutput(taps, output, n, yL, yR, q, qL, qR);
        if (next.n > 0) drive(next.inL, next.inR, next.n, s, outputTarget, nextDriven);
    }
    requantizer_.finish(q, dither_);

    // Clip and store.
    if (s.quantize)
        clipAndStore(qL, qR, n, outL, outR);
    else
        clipAndStore(yL, yR, n, outL, outR);
}

LimiterKernel SignalPath::compiledKernel() {
    return {[](void* path, const float* inL, const float* inR, float* outL, float* outR, int frames,
               const void* s) {
                static_cast<SignalPath*>(path)->limitBlock(inL, inR, outL, outR, frames,
                                                           *static_cast<const BlockSettings*>(s));
            },
            [](void* path, const double* inL, const double* inR, double* outL, double* outR, int frames,
               const void* s) {
                static_cast<SignalPath*>(path)->limitBlock(inL, inR, outL, outR, frames,
                                                           *static_cast<const BlockSettings*>(s));
            },
            sizeof(SignalPath)};
}

}  // namespace zarpa::dsp

// The unmangled name by which instruction_set.cpp finds this copy.
extern "C" zarpa::dsp::LimiterKernel ZARPA_KERNEL_ENTRY() { return zarpa::dsp::SignalPath::compiledKernel(); }
