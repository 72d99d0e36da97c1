// The output stage's loops: the look-ahead delay, Power, the meters and the requantizer of a chunk,
// specialised by the requantizer's tap count, and the final clip.
#include "engine/dsp/output_stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "engine/dsp/simd.h"

namespace zarpa::dsp {

namespace {

// Beyond this magnitude the clip's result is ±1 whatever the value. The clip formula is first given values
// bounded by it: above about 9e15 y + 1 and y - 1 round to the same number and the formula gives 0, so a
// far too loud sample (possible with Power off) would come out silent instead of at full scale.
constexpr double kClipBound = 2.0;

// Limits to [-1, +1]; passes values inside unchanged up to the formula's rounding. For values beyond
// full scale the formula itself can round one step past ±1 (e.g. (2.7 - 0.7)/2), so the result is
// bounded once more: the output must never leave full scale.
inline double clip(double y) {
    y = y > kClipBound ? kClipBound : y < -kClipBound ? -kClipBound : y;
    const double c = (std::fabs(y + 1.0) - std::fabs(y - 1.0)) / 2.0;
    return c > 1.0 ? 1.0 : c < -1.0 ? -1.0 : c;
}

// The same clip on four samples side by side.
inline void clipLanes(simd::Lanes& y) {
    using simd::Lanes;
    const Lanes one = Lanes{} + 1.0, bound = Lanes{} + kClipBound;
    simd::lower(bound, y, y);   // y > bound ? bound : y
    simd::higher(-bound, y, y);  // y < -bound ? -bound : y
    Lanes above = y + one, below = y - one;
    simd::makeMagnitude(above);
    simd::makeMagnitude(below);
    Lanes c = (above - below) / 2.0;
    simd::lower(one, c, c);    // c > 1 ? 1 : c
    simd::higher(-one, c, y);  // c < -1 ? -1 : c
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
void clipAndStoreLoop(const double* yL, const double* yR, int n, T* outL, T* outR) {
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

// The meters' peak of a vector of values side by side: the largest magnitude, held per lane (the meters
// round it once, as they compare it).
inline void holdPeaks(const simd::Wide& x, simd::Wide& peak) {
    simd::Wide magnitude = x;
    simd::makeMagnitude(magnitude);
    peak = magnitude > peak ? magnitude : peak;
}

// The look-ahead delay, Power and the gain-reduction meters of sample i, giving y before the requantizer
// and clip.
[[gnu::always_inline]] inline Stereo limitSample(const OutputStages& st, StereoDelay::Run& lookAhead,
                                                 MeterAccumulator::Run& meters, int i) {
    // Look-ahead delay: v is u delayed by L + 31 samples.
    const Stereo v = lookAhead.exchange({st.detected.delayedL[i], st.detected.delayedR[i]});

    // Power: the limited signal, or the dry input with the same delay.
    Stereo y{st.dryL[i], st.dryR[i]};
    Stereo display{1.0, 1.0};
    if (st.power) {
        y = {st.gains.gainL[i] * v.l * st.output[i], st.gains.gainR[i] * v.r * st.output[i]};
        display = {st.displayL[i], st.displayR[i]};
    }
    meters.gainReduction(display);
    return y;
}

// The look-ahead delay of a chunk into y: v is u delayed by L + 31 samples.
inline void delayedInto(const OutputStages& st, int n, double* yL, double* yR) {
    simd::copyForward(yL, st.detected.delayedL.data(), n);
    simd::copyForward(yR, st.detected.delayedR.data(), n);
    st.lookAhead.exchange(yL, yR, n);
}

// Four samples from i through Power: y (holding v, the delayed u) becomes the limited signal, or the dry
// input with the same delay.
struct PowerLanes {
    simd::Lanes dryL, dryR;  // the dry input
    simd::Lanes yL, yR;      // the new y
};
// With the limiter on, the gain-reduction display values join the least so far, per lane.
[[gnu::always_inline]] inline void powerLanes(const OutputStages& st, int i, double* yL, double* yR, PowerLanes& p,
                                              simd::Lanes& leastL, simd::Lanes& leastR) {
    using simd::Lanes;
    simd::load(p.dryL, st.dryL + i);
    simd::load(p.dryR, st.dryR + i);
    if (st.power) {
        Lanes gL, gR, output, displayL, displayR;
        simd::load(p.yL, yL + i);
        simd::load(p.yR, yR + i);
        simd::load(gL, st.gains.gainL.data() + i);
        simd::load(gR, st.gains.gainR.data() + i);
        simd::load(output, st.output + i);
        p.yL = gL * p.yL * output;
        p.yR = gR * p.yR * output;
        simd::load(displayL, st.displayL + i);
        simd::load(displayR, st.displayR + i);
        leastL = displayL < leastL ? displayL : leastL;
        leastR = displayR < leastR ? displayR : leastR;
    } else {
        p.yL = p.dryL;
        p.yR = p.dryR;
    }
    simd::store(yL + i, p.yL);
    simd::store(yR + i, p.yR);
}

// The same for sample i alone: y holds v and becomes the output; least takes the display values.
[[gnu::always_inline]] inline void powerSample(const OutputStages& st, int i, double& yL, double& yR,
                                               Stereo& least) {
    if (st.power) {
        yL = st.gains.gainL[i] * yL * st.output[i];
        yR = st.gains.gainR[i] * yR * st.output[i];
        least = {std::min(least.l, st.displayL[i]), std::min(least.r, st.displayR[i])};
    } else {
        yL = st.dryL[i];
        yR = st.dryR[i];
    }
}

// One requantizer step of sample i (none for kNoRequantizer), kDrawn as Requantizer::Run::step.
template <int kTaps, bool kDrawn>
[[gnu::always_inline]] inline void requantize(Requantizer::Run& q, const double* yL, const double* yR, int i,
                                              double* qL, double* qR) {
    if constexpr (kTaps != kNoRequantizer) {
        const Stereo requantized = q.step<kTaps, kDrawn>({yL[i], yR[i]});
        qL[i] = requantized.l;
        qR[i] = requantized.r;
    }
}

// A chunk's output stage with plain output meters, all in one loop: y, the input, gain-reduction and
// output meters and, with kTaps (Requantizer::specialisedCount()), the requantized values q, whose
// error-feedback recurrence then overlaps everything else in the loop.
template <int kTaps>
void limitedOutput(const OutputStages& st, int n, double* yL, double* yR,
                                       Requantizer::Run& requantizer, double* qL, double* qR) {
    MeterAccumulator::Run meters = st.meters.run();
    StereoDelay::Run lookAhead = st.lookAhead.run();
    Requantizer::Run q = requantizer;
    for (int i = 0; i < n; ++i) {
        const Stereo y = limitSample(st, lookAhead, meters, i);
        yL[i] = y.l;
        yR[i] = y.r;
        meters.output(y);
        meters.input({st.dryL[i], st.dryR[i]}, st.inputMeterGain);
        requantize<kTaps, false>(q, yL, yR, i, qL, qR);
    }
    st.lookAhead.finish(lookAhead);
    st.meters.finish(meters);
    requantizer = q;
}

// The second loop is the requantizer's, whose error-feedback recurrence is latency-bound; beside each of
// its steps runs a slice of throughput-bound work that fills the units the recurrence leaves idle: the
// output meters' interpolator sums, a vector of them at a time, and with kAhead the same sums of the next chunk's
// peak detector; and the meters' own recurrences on the input and on the samples 31 back. The peaks of
// the half-sample points are kept per lane (the largest is the same in any order).
template <int kTaps, bool kAhead>
void requantizedOutput(const OutputStages& st, int n, const double* yL, const double* yR,
                                           Requantizer::Run& requantizer, double* qL, double* qR,
                                           const SumsAhead* ahead) {
    MeterAccumulator::Run meters = st.meters.run();
    Requantizer::Run q = requantizer;
    HalfSampleInterpolator& oversampler = st.meters.oversampler();
    const double* centreL = oversampler.centreL();
    const double* centreR = oversampler.centreR();
    const auto step = [&](int i) __attribute__((always_inline)) {
        requantize<kTaps, true>(q, yL, yR, i, qL, qR);
        meters.input({st.dryL[i], st.dryR[i]}, st.inputMeterGain);
        meters.output({centreL[i], centreR[i]});
    };
    using Interpolator = HalfSampleInterpolator;
    constexpr int kGroup = simd::kWideLanes;
    static_assert(Interpolator::kLength / 2 == kGroup * Interpolator::kTapSlice);  // a slice a sample
    simd::Wide peakL = {}, peakR = {};
    for (int start = 0; start < n; start += kGroup) {
        const int count = n - start < kGroup ? n - start : kGroup;
        // A vector of sums side by side, a slice of their taps beside each sample's step.
        simd::Wide halfL = {}, halfR = {}, aheadL = {}, aheadR = {};
        [&]<int... kStep>(std::integer_sequence<int, kStep...>) __attribute__((always_inline)) {
            ((oversampler.addTaps<kStep * Interpolator::kTapSlice>(start, halfL, halfR),
              kAhead ? ahead->interpolator->addTaps<kStep * Interpolator::kTapSlice>(start, aheadL, aheadR) : void(),
              kStep < count ? step(start + kStep) : void()),
             ...);
        }(std::make_integer_sequence<int, kGroup>{});
        if constexpr (kAhead) {
            simd::store(ahead->halfL + start, aheadL);  // past the next chunk: discarded values
            simd::store(ahead->halfR + start, aheadR);
        }
        if (count == kGroup) {
            holdPeaks(halfL, peakL);
            holdPeaks(halfR, peakR);
        } else {
            for (int j = 0; j < count; ++j) meters.outputBetween({halfL[j], halfR[j]});
        }
    }
    for (int j = 0; j < kGroup; ++j) meters.outputBetween({peakL[j], peakR[j]});
    oversampler.advance(n);
    st.meters.finish(meters);
    requantizer = q;
}

// Calls f.operator()<kTaps>() with the tap count as a constant.
template <typename F>
void withTapCount(int taps, F&& f) {
    switch (taps) {
        case kNoRequantizer: f.template operator()<kNoRequantizer>(); break;
        case 0: f.template operator()<0>(); break;
        case 3: f.template operator()<3>(); break;
        case 11: f.template operator()<11>(); break;
        case 12: f.template operator()<12>(); break;
        default: f.template operator()<Requantizer::kAnyCount>(); break;
    }
}

}  // namespace

// With oversampled output meters the output stage runs in two loops. The first gives y and hands it to
// the meters' interpolator, four samples at a time.
void limitedSamples(const OutputStages& st, int n, double* yL, double* yR) {
    using simd::Lanes;
    delayedInto(st, n, yL, yR);
    HalfSampleInterpolator& oversampler = st.meters.oversampler();
    double* appendedL = oversampler.appendedL();
    double* appendedR = oversampler.appendedR();
    Lanes leastL = Lanes{} + 1.0, leastR = leastL;
    int i = 0;
    for (; i + simd::kLanes <= n; i += simd::kLanes) {
        PowerLanes p;
        powerLanes(st, i, yL, yR, p, leastL, leastR);
        simd::store(appendedL + i, p.yL);
        simd::store(appendedR + i, p.yR);
    }
    Stereo least{1.0, 1.0};
    for (int j = 0; j < simd::kLanes; ++j) least = {std::min(least.l, leastL[j]), std::min(least.r, leastR[j])};
    for (; i < n; ++i) {
        powerSample(st, i, yL[i], yR[i], least);
        appendedL[i] = yL[i];
        appendedR[i] = yR[i];
    }
    MeterAccumulator::Run meters = st.meters.run();
    meters.gainReduction(least);
    st.meters.finish(meters);
}

ChunkPeaks unmeteredSamples(const OutputStages& st, int n, double* yL, double* yR, double* squares) {
    using simd::Lanes;
    delayedInto(st, n, yL, yR);

    // |x| held per lane (the meters round the largest to 32-bit precision when they hand it back).
    const auto hold = [](const Lanes& x, Lanes& peak) __attribute__((always_inline)) {
        Lanes magnitude = x;
        simd::makeMagnitude(magnitude);
        peak = magnitude > peak ? magnitude : peak;
    };
    const Lanes inputGain = Lanes{} + st.inputMeterGain;
    Lanes inL = {}, inR = {}, outL = {}, outR = {};
    Lanes gainL = Lanes{} + 1.0, gainR = gainL;
    int i = 0;
    for (; i + simd::kLanes <= n; i += simd::kLanes) {
        PowerLanes p;
        powerLanes(st, i, yL, yR, p, gainL, gainR);
        const Lanes &vL = p.yL, &vR = p.yR;
        const Lanes xL = p.dryL * inputGain, xR = p.dryR * inputGain;
        hold(xL, inL);
        hold(xR, inR);
        hold(vL, outL);
        hold(vR, outR);
        // Four samples' squares of each, turned into each sample's four.
        const Lanes a = xL * xL, b = xR * xR, d = vL * vL, e = vR * vR;
        const Lanes ab02 = __builtin_shufflevector(a, b, 0, 4, 2, 6), ab13 = __builtin_shufflevector(a, b, 1, 5, 3, 7);
        const Lanes de02 = __builtin_shufflevector(d, e, 0, 4, 2, 6), de13 = __builtin_shufflevector(d, e, 1, 5, 3, 7);
        simd::store(squares + 4 * i, Lanes(__builtin_shufflevector(ab02, de02, 0, 1, 4, 5)));
        simd::store(squares + 4 * i + 4, Lanes(__builtin_shufflevector(ab13, de13, 0, 1, 4, 5)));
        simd::store(squares + 4 * i + 8, Lanes(__builtin_shufflevector(ab02, de02, 2, 3, 6, 7)));
        simd::store(squares + 4 * i + 12, Lanes(__builtin_shufflevector(ab13, de13, 2, 3, 6, 7)));
    }
    ChunkPeaks peaks{{0.0, 0.0}, {0.0, 0.0}, {1.0, 1.0}};
    for (int j = 0; j < simd::kLanes; ++j) {
        peaks.input = {std::max(peaks.input.l, std::fabs(inL[j])), std::max(peaks.input.r, std::fabs(inR[j]))};
        peaks.output = {std::max(peaks.output.l, std::fabs(outL[j])), std::max(peaks.output.r, std::fabs(outR[j]))};
        peaks.gain = {std::min(peaks.gain.l, gainL[j]), std::min(peaks.gain.r, gainR[j])};
    }
    for (; i < n; ++i) {
        powerSample(st, i, yL[i], yR[i], peaks.gain);
        const double xL = st.dryL[i] * st.inputMeterGain, xR = st.dryR[i] * st.inputMeterGain;
        peaks.input = {std::max(peaks.input.l, std::fabs(xL)), std::max(peaks.input.r, std::fabs(xR))};
        peaks.output = {std::max(peaks.output.l, std::fabs(yL[i])), std::max(peaks.output.r, std::fabs(yR[i]))};
        squares[4 * i] = xL * xL;
        squares[4 * i + 1] = xR * xR;
        squares[4 * i + 2] = yL[i] * yL[i];
        squares[4 * i + 3] = yR[i] * yR[i];
    }
    return peaks;
}

void limitedOutput(int taps, const OutputStages& st, int n, double* yL, double* yR, Requantizer::Run& q,
                   double* qL, double* qR) {
    withTapCount(taps, [&]<int kTaps>() { limitedOutput<kTaps>(st, n, yL, yR, q, qL, qR); });
}

void requantizedOutput(int taps, const OutputStages& st, int n, const double* yL, const double* yR,
                       Requantizer::Run& q, double* qL, double* qR, const SumsAhead* ahead) {
    withTapCount(taps, [&]<int kTaps>() {
        if (ahead)
            requantizedOutput<kTaps, true>(st, n, yL, yR, q, qL, qR, ahead);
        else
            requantizedOutput<kTaps, false>(st, n, yL, yR, q, qL, qR, nullptr);
    });
}

template <typename T>
void clipAndStore(const double* yL, const double* yR, int n, T* outL, T* outR) {
    clipAndStoreLoop(yL, yR, n, outL, outR);
}

template void clipAndStore<float>(const double*, const double*, int, float*, float*);
template void clipAndStore<double>(const double*, const double*, int, double*, double*);

}  // namespace zarpa::dsp
