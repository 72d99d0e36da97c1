// The limiter in signal order: one loop, one sample at a time through the same stage objects as the
// chunked kernel (processLimiter), each stage a labelled step. Read it to follow the signal path; the
// tests hold the kernel to it bit for bit. The plug-in never runs it.
#include <algorithm>
#include <cmath>

#include "engine/dsp/signal_path.h"

namespace zarpa::dsp {

namespace {

// Input guard: a non-finite sample counts as silence (one NaN would stay in the followers for good),
// and magnitudes are limited to 1e20 so that every product and square of the path stays finite.
double sanitized(double x) {
    constexpr double kLimit = 1e20;
    if (std::fabs(x) <= kLimit) return x;
    if (!std::isfinite(x)) return 0.0;
    return x > 0.0 ? kLimit : -kLimit;
}

// The final clip, (|y + 1| − |y − 1|)/2, bounded once more: beyond full scale the formula itself can
// round one step past ±1.
double clipped(double y) {
    y = std::clamp(y, -2.0, 2.0);  // beyond ±2 the result is ±1; far beyond, y ± 1 would round alike
    return std::clamp((std::fabs(y + 1.0) - std::fabs(y - 1.0)) / 2.0, -1.0, 1.0);
}

}  // namespace

template <typename T>
void SignalPath::processReference(const T* inL, const T* inR, T* outL, T* outR, int frames,
                                  const BlockSettings& s) {
    // Read once per block.
    const double outputTarget = s.autoOut ? 1.0 / s.driveTarget : s.outputTarget;
    const double inputMeterGain = s.postMeter ? 1.0 : drive_.value();
    MeterAccumulator::Run meters = meters_.run();
    StereoDelay::Run dryDelay = dry_.run();
    StereoDelay::Run lookAhead = lookAhead_.run();

    for (int i = 0; i < frames; ++i) {
        const double xL = sanitized(static_cast<double>(inL[i]));
        const double xR = sanitized(static_cast<double>(inR[i]));

        // Gain glides: drive and output gains move towards their targets.
        const double driveGain = drive_.step(s.driveTarget);
        const double outputGain = output_.step(outputTarget);

        // Dry delay: the raw input, delayed by the whole latency (bypass and input meters).
        const Stereo dry = dryDelay.exchange({xL, xR});

        // Leveller: a slow gain pulling the driven level's one-second average down to its threshold.
        const Stereo driven{xL * driveGain, xR * driveGain};
        const double level = leveller_.step(driven, s.levellerThreshold, s.levellerOff);
        const double uL = level * driven.l;
        const double uR = level * driven.r;

        // Peak detector: u delayed by 31 samples, its peak value c (with oversampling also of the
        // half-sample point before it) and the linked maximum of c over the look-ahead window.
        detector_.process(&uL, &uR, 1, s.oversample, s.link, detected_);

        // Gain computer: release followers of the look-ahead peak and the transient envelope of c,
        // mixed into the limiter gain g; Z is the followers' share.
        gain_.process(detected_, 1, s.transientMix, followerCoefficients_, s.twoStageFollowers, gains_);
        const double gL = gains_.gainL[0], gR = gains_.gainR[0];
        const double zL = gains_.followerL[0], zR = gains_.followerR[0];

        // Look-ahead delay: v is u delayed by L + 31 samples, the instant g describes.
        const Stereo v = lookAhead.exchange({detected_.delayedL[0], detected_.delayedR[0]});

        // Gains (Power): the limited signal with the output gain, or the dry input with the same delay.
        // The gain-reduction display value is the product of the shares AttShow selects.
        const auto display = [&](double z, double g) {
            const int mask = s.attShow;
            return ((mask & 1) ? z : 1.0) * ((mask & 2) ? g / z : 1.0) * ((mask & 4) ? level : 1.0);
        };
        Stereo y = dry;
        Stereo reduction{1.0, 1.0};
        if (s.power) {
            y = {gL * v.l * outputGain, gR * v.r * outputGain};
            reduction = {display(zL, gL), display(zR, gR)};
        }

        // Meters: input (aligned with the output), gain reduction, and output before requantizer and
        // clip; with meter oversampling the output meters see the sample 31 back and the half-sample
        // point before it.
        meters.input(dry, inputMeterGain);
        meters.gainReduction(reduction);
        if (s.meterOversample) {
            Stereo centre, half;
            meters_.oversampler().process(&y.l, &y.r, 1, &centre.l, &centre.r, &half.l, &half.r);
            meters.output(centre);
            meters.outputBetween(half);
        } else {
            meters.output(y);
        }

        // Requantizer: dither, noise shaping and auto-black onto the word length's grid.
        if (s.quantize) y = requantizer_.step(y, s.quantizerScale, s.autoblack, dither_);

        // Clip and store, right first: with one output buffer for both, the left result stays.
        outR[i] = static_cast<T>(clipped(y.r));
        outL[i] = static_cast<T>(clipped(y.l));
    }
    meters_.finish(meters);
    dry_.finish(dryDelay);
    lookAhead_.finish(lookAhead);
}

template void SignalPath::processReference<float>(const float*, const float*, float*, float*, int,
                                                  const BlockSettings&);
template void SignalPath::processReference<double>(const double*, const double*, double*, double*, int,
                                                   const BlockSettings&);

}  // namespace zarpa::dsp
