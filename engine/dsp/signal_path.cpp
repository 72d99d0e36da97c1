// The limiter and calibration kernels, in signal order, and the set-up of every stage.
#include "engine/dsp/signal_path.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/dsp/output_stage.h"
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
ZARPA_VECTOR_CLONES
void displayGains(int mask, const double* z, const double* g, const double* level, int n, double* out) {
    for (int i = 0; i < n; ++i) {
        const double followers = (mask & 1) ? z[i] : 1.0;
        const double envelope = (mask & 2) ? g[i] / z[i] : 1.0;
        const double leveller = (mask & 4) ? level[i] : 1.0;
        out[i] = followers * envelope * leveller;
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
        const simd::Pair dry = dry_.exchange(x);
        out.dryL[i] = dry[0];
        out.dryR[i] = dry[1];

        // Leveller, then the driven signal u.
        const simd::Pair driven = x * g;
        const double level = leveller_.step(driven, s.levellerThreshold, s.levellerOff);
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
ZARPA_VECTOR_CLONES void driveAlone(const DriveStages& st, const T* inL, const T* inR, int n, const DriveSettings& s,
                DrivenChunk& out) {
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
void SignalPath::processLimiter(const T* inL, const T* inR, T* outL, T* outR, int frames, const BlockSettings& s) {
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
