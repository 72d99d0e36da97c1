// The limiter and calibration kernels, in signal order, and the set-up of every stage.
#include "engine/dsp/signal_path.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

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

// Limits to [-1, +1]; passes values inside unchanged up to the formula's rounding. For values beyond
// full scale the formula itself can round one step past ±1 (e.g. (2.7 - 0.7)/2), so the result is
// bounded once more: the output must never leave full scale.
inline double clip(double y) {
    const double c = (std::fabs(y + 1.0) - std::fabs(y - 1.0)) / 2.0;
    return c > 1.0 ? 1.0 : c < -1.0 ? -1.0 : c;
}

// The same clip on four samples side by side.
inline void clipLanes(simd::Lanes& y) {
    using simd::Lanes;
    const Lanes one = Lanes{} + 1.0;
    Lanes above = y + one, below = y - one;
    simd::makeMagnitude(above);
    simd::makeMagnitude(below);
    const Lanes c = (above - below) / 2.0;
    const Lanes upper = c > one ? one : c;
    y = upper < -one ? -one : upper;
}

// Stores four clipped samples as T.
template <typename T>
inline void storeLanes(T* out, const simd::Lanes& y) {
    if constexpr (sizeof(T) == sizeof(float)) {
        typedef float Narrow __attribute__((vector_size(16)));
        const Narrow narrow = __builtin_convertvector(y, Narrow);
        std::memcpy(out, &narrow, sizeof narrow);
    } else {
        simd::store(out, y);
    }
}

// Clip and store a chunk, right first: with one output buffer for both, the left result stays.
template <typename T>
ZARPA_VECTOR_CLONES void clipAndStore(const double* yL, const double* yR, int n, T* outL, T* outR) {
    int i = 0;
    for (; i + simd::kLanes <= n; i += simd::kLanes) {
        simd::Lanes l, r;
        simd::load(l, yL + i);
        simd::load(r, yR + i);
        clipLanes(l);
        clipLanes(r);
        storeLanes(outR + i, r);
        storeLanes(outL + i, l);
    }
    for (; i < n; ++i) {
        outR[i] = static_cast<T>(clip(yR[i]));
        outL[i] = static_cast<T>(clip(yL[i]));
    }
}

// The gain-reduction display values under the AttShow mask: (Z·(g/Z))·g_lev with all three bits.
ZARPA_VECTOR_CLONES
void displayGains(int mask, const double* z, const double* g, const double* level, int n, double* out) {
    for (int i = 0; i < n; ++i) {
        const double followers = (mask & 1) ? z[i] : 1.0;
        const double envelope = (mask & 2) ? g[i] / z[i] : 1.0;
        const double leveller = (mask & 4) ? level[i] : 1.0;
        out[i] = followers * envelope * leveller;
    }
}

// What the output loop of a chunk reads and steps.
struct OutputStages {
    StereoDelay& lookAhead;
    MeterAccumulator& meters;
    const DetectorChunk& detected;
    const GainChunk& gains;
    const double* dryL;
    const double* dryR;
    const double* output;  // smoothed output gain
    const double* displayL;
    const double* displayR;
    bool power;
    double inputMeterGain;
};

// The meters' peak of eight values side by side: magnitudes rounded to 32-bit precision, as the meters
// compare them, held per lane.
inline void holdPeaks(const simd::Wide& x, simd::Wide& peak) {
    typedef float Narrow __attribute__((vector_size(32)));
    simd::Wide magnitude = x;
    simd::makeMagnitude(magnitude);
    const simd::Wide rounded = __builtin_convertvector(__builtin_convertvector(magnitude, Narrow), simd::Wide);
    peak = rounded > peak ? rounded : peak;
}

// kTaps for an output loop without the requantizer.
constexpr int kNoRequantizer = -2;

// The look-ahead delay, Power, and the input, gain-reduction and output meters of a chunk, giving y
// before the requantizer and clip; with kTaps (Requantizer::specialisedCount()) also the requantized
// values q, whose error-feedback recurrence then overlaps everything else in the loop. With oversampled
// output meters the requantizer runs in their loop instead: the interpolator's sums (bound by the adders'
// throughput) fill the adder slots its latency-bound recurrence leaves idle.
template <int kTaps, bool kMeterOversample>
ZARPA_VECTOR_CLONES void limitedOutput(const OutputStages& st, int n, double* yL, double* yR,
                                       Requantizer::Run& requantizer, double* qL, double* qR) {
    MeterAccumulator::Running meters = st.meters.running();
    StereoDelay::Run lookAhead = st.lookAhead.run();
    Requantizer::Run q = requantizer;
    const auto requantize = [&](int i) __attribute__((always_inline)) {
        if constexpr (kTaps != kNoRequantizer) {
            const Stereo requantized = q.step<kTaps>({yL[i], yR[i]});
            qL[i] = requantized.l;
            qR[i] = requantized.r;
        }
    };
    // Look-ahead delay, Power, y and the gain-reduction meters of sample i.
    const auto limit = [&](int i) __attribute__((always_inline)) {
        // Look-ahead delay: v is u delayed by L + 31 samples.
        const Stereo v = lookAhead.exchange({st.detected.delayedL[i], st.detected.delayedR[i]});

        // Power: the limited signal, or the dry input with the same delay.
        Stereo y{st.dryL[i], st.dryR[i]};
        Stereo display{1.0, 1.0};
        if (st.power) {
            y = {st.gains.gainL[i] * v.l * st.output[i], st.gains.gainR[i] * v.r * st.output[i]};
            display = {st.displayL[i], st.displayR[i]};
        }
        yL[i] = y.l;
        yR[i] = y.r;
        meters.gainReduction(display);
        return y;
    };
    const auto meterInput = [&](int i) __attribute__((always_inline)) {
        meters.input(simd::Pair{st.dryL[i], st.dryR[i]} * st.inputMeterGain);
    };
    if constexpr (!kMeterOversample) {
        for (int i = 0; i < n; ++i) {
            meters.output(limit(i));
            meterInput(i);
            requantize(i);
        }
    } else {
        // Output meters on the samples 31 back and the half-sample points before them. The limited
        // samples first; then the loop of the requantizer's latency-bound recurrence steps everything
        // else beside it: the interpolator's sums, the meters' own recurrences on the input and on the
        // samples 31 back, and the peaks of the half-sample points, kept per lane (the largest is the
        // same in any order).
        HalfSampleInterpolator& oversampler = st.meters.oversampler();
        double* appendedL = oversampler.appendedL();
        double* appendedR = oversampler.appendedR();
        const double* centreL = oversampler.centreL();
        const double* centreR = oversampler.centreR();
        for (int i = 0; i < n; ++i) {
            const Stereo y = limit(i);
            appendedL[i] = y.l;
            appendedR[i] = y.r;
        }
        const auto step = [&](int i) __attribute__((always_inline)) {
            requantize(i);
            meterInput(i);
            meters.output({centreL[i], centreR[i]});
        };
        using Interpolator = HalfSampleInterpolator;
        constexpr int kGroup = simd::kWideLanes;
        static_assert(Interpolator::kLength / 2 == kGroup * Interpolator::kTapSlice);  // a slice a sample
        simd::Wide peakL = {}, peakR = {};
        for (int start = 0; start < n; start += kGroup) {
            const int count = n - start < kGroup ? n - start : kGroup;
            // Eight sums side by side, a slice of their taps beside each sample's requantizer step.
            simd::Wide halfL = {}, halfR = {};
            [&]<int... kStep>(std::integer_sequence<int, kStep...>) __attribute__((always_inline)) {
                ((oversampler.addTaps<kStep * Interpolator::kTapSlice>(start, halfL, halfR),
                  kStep < count ? step(start + kStep) : void()),
                 ...);
            }(std::make_integer_sequence<int, kGroup>{});
            if (count == kGroup) {
                holdPeaks(halfL, peakL);
                holdPeaks(halfR, peakR);
            } else {
                for (int j = 0; j < count; ++j) meters.outputBetween({halfL[j], halfR[j]});
            }
        }
        for (int j = 0; j < kGroup; ++j) meters.outputBetween({peakL[j], peakR[j]});
        oversampler.advance(n);
    }
    st.lookAhead.finish(lookAhead);
    st.meters.store(meters);
    requantizer = q;
}

// The output loop for the requantizer's tap count (none when quantize is off).
template <bool kMeterOversample>
void limitedOutput(const Requantizer& requantizer, const OutputStages& st, int n, double* yL, double* yR,
                   Requantizer::Run& q, double* qL, double* qR, bool quantize) {
    switch (quantize ? requantizer.specialisedCount() : kNoRequantizer) {
        case kNoRequantizer: limitedOutput<kNoRequantizer, kMeterOversample>(st, n, yL, yR, q, qL, qR); break;
        case 0: limitedOutput<0, kMeterOversample>(st, n, yL, yR, q, qL, qR); break;
        case 3: limitedOutput<3, kMeterOversample>(st, n, yL, yR, q, qL, qR); break;
        case 11: limitedOutput<11, kMeterOversample>(st, n, yL, yR, q, qL, qR); break;
        case 12: limitedOutput<12, kMeterOversample>(st, n, yL, yR, q, qL, qR); break;
        default: limitedOutput<Requantizer::kAnyCount, kMeterOversample>(st, n, yL, yR, q, qL, qR); break;
    }
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
struct DriveOutputs {
    double* output;  // smoothed output gain
    double* dryL;
    double* dryR;
    double* level;  // leveller gain
    double* drivenL;
    double* drivenR;
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
                                     const DriveOutputs& out) {
        // Both channels side by side as one vector value.
        const simd::Pair x = sanitize(simd::Pair{static_cast<double>(inL[i]), static_cast<double>(inR[i])});

        // Gain glides.
        const double g = kGliding ? drive_.step(s.driveTarget) : drive_.value();
        out.output[i] = kGliding ? output_.step(s.outputTarget) : output_.value();

        // Dry delay: the raw input, aligned with the output, for bypass and the input meters.
        const simd::Pair dry = dry_.exchange(x);
        out.dryL[i] = dry[0];
        out.dryR[i] = dry[1];

        // Leveller, then the driven signal u.
        const simd::Pair driven = x * g;
        const double level = leveller_.step(driven, s.levellerThreshold, s.levellerOff);
        out.level[i] = level;
        const simd::Pair u = level * driven;
        out.drivenL[i] = u[0];
        out.drivenR[i] = u[1];
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
ZARPA_VECTOR_CLONES void driveAlone(const DriveStages& st, const T* inL, const T* inR, int n, const DriveSettings& s,
                const DriveOutputs& out) {
    DriveLoop<kGliding> loop(st);
    for (int i = 0; i < n; ++i) loop.step(i, inL, inR, s, out);
    loop.finish(st);
}

}  // namespace

SignalPath::SignalPath(const RateConfig& config, double releaseMs)
    : dry_(kMaxLookAhead + kPreDelay), lookAhead_(kMaxLookAhead) {
    setRate(config, releaseMs, 0);
    reset(1.0, 1.0);
}

void SignalPath::setRate(const RateConfig& config, double releaseMs, int noiseShapeStep) {
    config_ = config;
    const double fs = config.fs;
    dry_.setLength(config.latency());
    lookAhead_.setLength(config.lookAhead);
    detector_.setLookAhead(config.lookAhead);
    gain_.configure(config.window, config.envelopeDelay);
    followerCoefficients_.setRelease(releaseMs, fs);
    followerCoefficients_.setAttack(fs);
    requantizer_.selectShape(noiseShapeStep, config.rate);
    const double glide = 1.0 - std::exp(-188.49555921538757 / fs);  // 2π·30 Hz
    drive_.setCoefficient(glide);
    output_.setCoefficient(glide);
    leveller_.setCoefficient(onePoleCoefficient(1000.0, fs));
    requantizer_.setAutoblackCoefficient(onePoleCoefficient(10.0, fs));
    meters_.setMeanSquareCoefficient(1.0 - std::pow(0.01, 1000.0 / (fs * 600.0)));  // -40 dB in 600 ms
}

void SignalPath::setWindow(const RateConfig& config) {
    config_ = config;
    gain_.configure(config.window, config.envelopeDelay);
}

void SignalPath::reset(double driveTarget, double outputTarget) {
    dither_.reset();
    calibration_.reset();
    meters_.reset();
    requantizer_.reset();
    drive_.reset(driveTarget);
    output_.reset(outputTarget);
    leveller_.reset();
    dry_.reset();
    detector_.reset();
    lookAhead_.reset();
    gain_.reset();
}

template <typename T>
void SignalPath::processLimiter(const T* inL, const T* inR, T* outL, T* outR, int frames, const BlockSettings& s) {
    const double outputTarget = s.autoOut ? 1.0 / s.driveTarget : s.outputTarget;
    const double inputMeterGain = s.postMeter ? 1.0 : drive_.value();
    for (int start = 0; start < frames; start += kChunk) {
        const int n = frames - start < kChunk ? frames - start : kChunk;
        limitChunk(inL + start, inR + start, outL + start, outR + start, n, s, outputTarget, inputMeterGain);
    }
}

template <typename T>
void SignalPath::limitChunk(const T* inL, const T* inR, T* outL, T* outR, int n, const BlockSettings& s,
                            double outputTarget, double inputMeterGain) {
    Chunk& c = chunk_;
    // Gain glides, dry delay, leveller and the driven signal u. Settled glides (a step no longer moves
    // them) stay where they are: no need to step them per sample.
    const DriveStages stages{drive_, output_, dry_, leveller_};
    const DriveSettings settings{s.driveTarget, outputTarget, s.levellerThreshold, s.levellerOff};
    const DriveOutputs drive{c.output.data(), c.dryL.data(), c.dryR.data(), c.level.data(), c.drivenL.data(),
                             c.drivenR.data()};
    if (drive_.settled(s.driveTarget) && output_.settled(outputTarget))
        driveAlone<false>(stages, inL, inR, n, settings, drive);
    else
        driveAlone<true>(stages, inL, inR, n, settings, drive);

    // Peak detector.
    detector_.process(c.drivenL.data(), c.drivenR.data(), n, s.oversample, s.link, detected_);

    // Gain computer, and the gain-reduction display values.
    gain_.process(detected_, n, s.transientMix, followerCoefficients_, s.twoStageFollowers, gains_);
    displayGains(s.attShow, gains_.followerL.data(), gains_.gainL.data(), c.level.data(), n, c.displayL.data());
    displayGains(s.attShow, gains_.followerR.data(), gains_.gainR.data(), c.level.data(), n, c.displayR.data());

    // Look-ahead delay, Power, the input, gain-reduction and output meters, and the requantizer.
    const OutputStages output{lookAhead_, meters_, detected_, gains_, c.dryL.data(), c.dryR.data(), c.output.data(),
                              c.displayL.data(), c.displayR.data(), s.power, inputMeterGain};
    Requantizer::Run q = requantizer_.run(s.quantizerScale, s.autoblack, dither_);
    double* yL = c.yL.data();
    double* yR = c.yR.data();
    double* qL = c.qL.data();
    double* qR = c.qR.data();
    if (s.meterOversample)
        limitedOutput<true>(requantizer_, output, n, yL, yR, q, qL, qR, s.quantize);
    else
        limitedOutput<false>(requantizer_, output, n, yL, yR, q, qL, qR, s.quantize);
    requantizer_.finish(q, dither_);

    // Clip and store.
    if (s.quantize)
        clipAndStore(qL, qR, n, outL, outR);
    else
        clipAndStore(yL, yR, n, outL, outR);
}

template <typename T>
void SignalPath::processCalibration(T* outL, T* outR, int frames, CalibrationMode mode, double level) {
    for (int i = 0; i < frames; ++i) {
        const Stereo y = calibration_.step(mode, level, dither_);
        if (mode != CalibrationMode::Right) meters_.noiseChannel(0, y.l); else meters_.silentChannel(0);
        if (mode != CalibrationMode::Left) meters_.noiseChannel(1, y.r); else meters_.silentChannel(1);
        outR[i] = static_cast<T>(y.r);
        outL[i] = static_cast<T>(y.l);
    }
}

template void SignalPath::processLimiter<float>(const float*, const float*, float*, float*, int,
                                                const BlockSettings&);
template void SignalPath::processLimiter<double>(const double*, const double*, double*, double*, int,
                                                 const BlockSettings&);
template void SignalPath::processCalibration<float>(float*, float*, int, CalibrationMode, double);
template void SignalPath::processCalibration<double>(double*, double*, int, CalibrationMode, double);

}  // namespace zarpa::dsp
