// The limiter kernel in signal order: the drive stage, detector, gain computer and output stage of each
// chunk. This file and the stages' loops it calls are compiled once per instruction set (see
// engine/CMakeLists.txt); instruction_set.cpp picks one copy per process.
#include <algorithm>
#include <cmath>
#include <cstring>
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

// The same on four samples of one channel, each lane exactly as sanitize.
// (Vectors by reference: they never meet the calling convention, whatever the build.)
[[gnu::always_inline]] inline void sanitizeLanes(simd::Lanes& x) {
    using simd::Lanes;
    Lanes magnitude = x;
    simd::makeMagnitude(magnitude);
    const Lanes loudest = x > 0.0 ? Lanes{} + kInputLimit : Lanes{} - kInputLimit;
    const Lanes bounded = magnitude <= std::numeric_limits<double>::max() ? loudest : Lanes{};
    x = magnitude <= kInputLimit ? x : bounded;
}

// Four input samples as doubles.
template <typename T>
[[gnu::always_inline]] inline void loadInput(simd::Lanes& x, const T* in) {
    if constexpr (sizeof(T) == sizeof(float)) {
        typedef float Narrow __attribute__((vector_size(16)));
        Narrow narrow;
        std::memcpy(&narrow, in, sizeof narrow);
        x = __builtin_convertvector(narrow, simd::Lanes);
    } else {
        simd::load(x, in);
    }
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

// The drive stage of one chunk a sample at a time with its state in locals, while the gain glides move:
// glides, dry delay, leveller, and the driven signal u.
class GlidingDrive {
public:
    explicit GlidingDrive(const DriveStages& st)
        : drive_(st.drive), output_(st.output), leveller_(st.leveller), dry_(st.dry.run()) {}

    template <typename T>
    [[gnu::always_inline]] void step(int i, const T* inL, const T* inR, const DriveSettings& s,
                                     DrivenChunk& out) {
        // Both channels side by side as one vector value.
        const simd::Pair x = sanitize(simd::Pair{static_cast<double>(inL[i]), static_cast<double>(inR[i])});

        // Gain glides.
        const double g = drive_.step(s.driveTarget);
        out.output[i] = output_.step(s.outputTarget);

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

// The drive stage of a chunk whose glides are settled (constant gains), in three passes, so that only
// the leveller's average, a recurrence, is left to step a sample at a time (beside the followers):
// before it, four samples at a time, the input made safe, its dry delay, the driven signal and its peak
// level a; after it, the leveller gain for each average and u. Every value as GlidingDrive would give it
// with glides that do not move.
class SettledDrive {
public:
    // With the leveller off, a goes to levelInput for the chunk's own followers' loop (see DrivenChunk).
    SettledDrive(const DriveStages& st, bool levellerOff)
        : leveller_(st.leveller), drive_(st.drive.value()), output_(st.output.value()), levellerOff_(levellerOff) {}

    // Everything before the leveller's steps, for the four samples from i.
    template <typename T>
    [[gnu::always_inline]] void prepareGroup(const T* inL, const T* inR, int i, DrivenChunk& out) const {
        using simd::Lanes;
        Lanes xL, xR;
        loadInput(xL, inL + i);
        loadInput(xR, inR + i);
        sanitizeLanes(xL);
        sanitizeLanes(xR);
        simd::store(out.output.data() + i, Lanes{} + output_);
        simd::store(out.dryL.data() + i, xL);
        simd::store(out.dryR.data() + i, xR);
        const Lanes drivenL = xL * drive_, drivenR = xR * drive_;
        simd::store(out.uL.data() + i, drivenL);
        simd::store(out.uR.data() + i, drivenR);
        Lanes l = drivenL, r = drivenR;
        simd::makeMagnitude(l);
        simd::makeMagnitude(r);
        const Lanes a = l > r ? l : r;
        const Lanes floor = Lanes{} + kPeakFloor;
        simd::store(peakLevel(out) + i, a < floor ? floor : a);
    }
    // The same for sample i alone.
    template <typename T>
    [[gnu::always_inline]] void prepareOne(const T* inL, const T* inR, int i, DrivenChunk& out) const {
        const simd::Pair x = sanitize(simd::Pair{static_cast<double>(inL[i]), static_cast<double>(inR[i])});
        out.output[i] = output_;
        out.dryL[i] = x[0];
        out.dryR[i] = x[1];
        const simd::Pair driven = x * drive_;
        out.uL[i] = driven[0];
        out.uR[i] = driven[1];
        peakLevel(out)[i] = Leveller::peakOf(simd::stereo(driven));
    }
    // The dry delay over the prepared chunk.
    static void delayDry(const DriveStages& st, int n, DrivenChunk& out) {
        st.dry.exchange(out.dryL.data(), out.dryR.data(), n);
    }

    template <typename T>
    void before(const DriveStages& st, const T* inL, const T* inR, int n, DrivenChunk& out) const {
        int i = 0;
        for (; i + simd::kLanes <= n; i += simd::kLanes) prepareGroup(inL, inR, i, out);
        for (; i < n; ++i) prepareOne(inL, inR, i, out);
        delayDry(st, n, out);
    }

    // The leveller's average at sample i, in place of its a (leveller on).
    [[gnu::always_inline]] void step(int i, DrivenChunk& out) { out.level[i] = leveller_.follow(out.level[i]); }

    [[gnu::always_inline]] void after(const DriveStages& st, int n, const DriveSettings& s, DrivenChunk& out) const {
        out.levellerDeferred = s.levellerOff;
        if (s.levellerOff) {  // gain 1, and 1·u is u; the average steps later
            std::fill(out.level.begin(), out.level.begin() + n, 1.0);
            return;
        }
        st.leveller = leveller_;
        using simd::Lanes;
        const Lanes one = Lanes{} + 1.0;
        const Lanes threshold = Lanes{} + s.levellerThreshold;
        int i = 0;
        for (; i + simd::kLanes <= n; i += simd::kLanes) {
            Lanes average, uL, uR;
            simd::load(average, out.level.data() + i);
            // The division only where a lane needs it.
            const Lanes level =
                simd::any(threshold < average) ? (threshold >= average ? one : threshold / average) : one;
            simd::load(uL, out.uL.data() + i);
            simd::load(uR, out.uR.data() + i);
            simd::store(out.level.data() + i, level);
            simd::store(out.uL.data() + i, level * uL);
            simd::store(out.uR.data() + i, level * uR);
        }
        for (; i < n; ++i) {
            const double level = Leveller::gainFor(out.level[i], s.levellerThreshold, s.levellerOff);
            out.level[i] = level;
            out.uL[i] = level * out.uL[i];
            out.uR[i] = level * out.uR[i];
        }
    }

private:
    double* peakLevel(DrivenChunk& out) const { return levellerOff_ ? out.levelInput.data() : out.level.data(); }

    Leveller leveller_;
    double drive_, output_;
    bool levellerOff_;
};

// The meters of samples from..to of an unmetered chunk on their own.
[[gnu::always_inline]] inline void meterAlone(ChunkMeters& meters, int from, int to) {
    for (int i = from; i < to; ++i) meters.step(i);
}

}  // namespace

template <typename T>
void SignalPath::drive(const T* inL, const T* inR, int n, const BlockSettings& s, double outputTarget,
                       Driven& out) {
    // Gain glides, dry delay, leveller and the driven signal u. Settled glides (a step no longer moves
    // them) stay where they are: no need to step them per sample.
    const DriveStages stages{drive_, output_, dry_, leveller_};
    const DriveSettings settings{s.driveTarget, outputTarget, s.levellerThreshold, s.levellerOff};
    if (drive_.settled(s.driveTarget) && output_.settled(outputTarget)) {
        SettledDrive settled(stages, s.levellerOff);
        settled.before(stages, inL, inR, n, out);
        if (!s.levellerOff)
            for (int i = 0; i < n; ++i) settled.step(i, out);
        settled.after(stages, n, settings, out);
    } else {
        GlidingDrive gliding(stages);
        for (int i = 0; i < n; ++i) gliding.step(i, inL, inR, settings, out);
        gliding.finish(stages);
        out.levellerDeferred = false;
    }
}

template <typename T>
void SignalPath::gainsAndNextDrive(const Driven& d, int n, const NextChunk<T>& next, const BlockSettings& s,
                                   double outputTarget, Driven& nextDriven) {
    // Recurrences side by side, a sample of each per step: the followers', the leveller's (the next
    // chunk's, or with the leveller off this chunk's own; with settled glides the rest of the drive stage
    // runs before and after, four samples at a time) and the last chunk's mean squares. The next chunk
    // is never longer than this one; the last one can be (this one ends the block), and its remaining
    // mean squares then run alone. Glides settled in a block stay settled in it, so a deferred chunk's
    // next one is deferred too: the leveller's steps keep their order.
    const DriveStages stages{drive_, output_, dry_, leveller_};
    const DriveSettings settings{s.driveTarget, outputTarget, s.levellerThreshold, s.levellerOff};
    ChunkMeters meters(meters_, unmetered_);
    const int metered = unmetered_.n < n ? unmetered_.n : n;
    Leveller late = leveller_;
    const int deferred = d.levellerDeferred ? n : 0;
    if (drive_.settled(s.driveTarget) && output_.settled(outputTarget)) {
        // With fully linked channels (the followers of one channel stand for both) their chains leave
        // the processor room: the next chunk's input is prepared four samples at a time inside the loop
        // too, the leveller's step of a sample after it. Otherwise before the loop.
        SettledDrive settled(stages, s.levellerOff);
        const int whole = next.n - next.n % simd::kLanes;
        const int grouped = detected_.fullyLinked ? whole : 0;
        for (int i = 0; i < whole - grouped; i += simd::kLanes) settled.prepareGroup(next.inL, next.inR, i, nextDriven);
        for (int i = whole; i < next.n; ++i) settled.prepareOne(next.inL, next.inR, i, nextDriven);
        const int stepped = s.levellerOff ? 0 : next.n;
        gain_.process(detected_, n, s.transientMix, followerCoefficients_, s.twoStageFollowers, gains_,
                      [&](int i) __attribute__((always_inline)) {
                          if (i % simd::kLanes == 0 && i < grouped)
                              settled.prepareGroup(next.inL, next.inR, i, nextDriven);
                          if (i < deferred) late.follow(d.levelInput[i]);
                          if (i < stepped) settled.step(i, nextDriven);
                          if (i < metered) meters.step(i);
                      });
        if (deferred) leveller_ = late;
        SettledDrive::delayDry(stages, next.n, nextDriven);
        settled.after(stages, next.n, settings, nextDriven);
    } else {
        // (Not after a deferred chunk; should it be, those steps go first.)
        for (int i = 0; i < deferred; ++i) late.follow(d.levelInput[i]);
        if (deferred) leveller_ = late;
        GlidingDrive gliding(stages);
        gain_.process(detected_, n, s.transientMix, followerCoefficients_, s.twoStageFollowers, gains_,
                      [&](int i) __attribute__((always_inline)) {
                          if (i < next.n) gliding.step(i, next.inL, next.inR, settings, nextDriven);
                          if (i < metered) meters.step(i);
                      });
        gliding.finish(stages);
        nextDriven.levellerDeferred = false;
    }
    meterAlone(meters, metered, unmetered_.n);
    meters.finish(meters_);
    unmetered_.n = 0;
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
    // The meters of the block's last chunk, when they were left for a next one.
    ChunkMeters meters(meters_, unmetered_);
    meterAlone(meters, 0, unmetered_.n);
    meters.finish(meters_);
    unmetered_.n = 0;
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

    // Gain computer, and the gain-reduction display values; the next chunk's drive stage.
    gainsAndNextDrive(d, n, next, s, outputTarget, nextDriven);
    displayGains(s.attShow, gains_.followerL.data(), gains_.gainL.data(), d.level.data(), n, c.displayL.data());
    displayGains(s.attShow, gains_.followerR.data(), gains_.gainR.data(), d.level.data(), n, c.displayR.data());

    // Look-ahead delay, Power, the input, gain-reduction and output meters, and the requantizer.
    const OutputStages output{lookAhead_, meters_, detected_, gains_, d.dryL.data(), d.dryR.data(), d.output.data(),
                              c.displayL.data(), c.displayR.data(), s.power, inputMeterGain};
    double* yL = c.yL.data();
    double* yR = c.yR.data();
    double* qL = c.qL.data();
    double* qR = c.qR.data();
    const int taps = tapCount(requantizer_, s.quantize);
    // The loop beside the oversampled meters' sums has no room for the dither generator's steps: there
    // the dither is drawn for the chunk beforehand.
    const bool drawn = s.meterOversample && taps != kNoRequantizer;
    if (drawn) dither_.triangularChunk(n, c.dither.data());
    Requantizer::Run q = requantizer_.run(s.quantizerScale, s.autoblack, dither_, drawn ? c.dither.data() : nullptr);
    if (!s.meterOversample && taps == kNoRequantizer) {
        // y and the peaks four samples at a time; the mean squares wait for the next chunk's followers.
        const ChunkPeaks peaks = unmeteredSamples(output, n, yL, yR, c.squares.data());
        MeterAccumulator::Run meters = meters_.run();
        meters.holdPeaks(peaks.input, peaks.output);
        meters.gainReduction(peaks.gain);
        meters_.finish(meters);
        unmetered_ = {n, c.squares.data()};
    } else if (s.meterOversample) {
        limitedSamples(output, n, yL, yR);
        SumsAhead ahead{};
        if (next.n > 0 && s.oversample) {
            HalfSampleInterpolator& interpolator = detector_.interpolator();
            simd::copyForward(interpolator.appendedL(), nextDriven.uL.data(), next.n);
            simd::copyForward(interpolator.appendedR(), nextDriven.uR.data(), next.n);
            ahead = {&interpolator, detector_.halfL(), detector_.halfR()};
            interpolated = true;
        }
        requantizedOutput(taps, output, n, yL, yR, q, qL, qR, interpolated ? &ahead : nullptr);
    } else {
        limitedOutput(taps, output, n, yL, yR, q, qL, qR);
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
            sizeof(SignalPath), &halfSampleSums};
}

}  // namespace zarpa::dsp

// The unmangled name by which instruction_set.cpp finds this copy.
extern "C" zarpa::dsp::LimiterKernel ZARPA_KERNEL_ENTRY() { return zarpa::dsp::SignalPath::compiledKernel(); }
