// The signal path's stages checked against brute-force oracles and the figures of the design.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "engine/dsp/calibration_noise.h"
#include "engine/dsp/envelope_convolution.h"
#include "engine/dsp/half_sample_interpolator.h"
#include "engine/dsp/meters.h"
#include "engine/dsp/noise_shape_taps.h"
#include "engine/dsp/one_pole.h"
#include "engine/dsp/peak_detector.h"
#include "engine/dsp/rate_config.h"
#include "engine/dsp/release_followers.h"
#include "engine/dsp/requantizer.h"
#include "engine/dsp/short_window_max.h"
#include "engine/dsp/signal_path.h"
#include "engine/dsp/sliding_max.h"
#include "engine/dsp/transient_envelope.h"
#include "tests/engine/engine_test_support.h"

using namespace zarpa::dsp;

TEST(SlidingMax, EqualsTheBruteForceMaximumOfEachChannelForEveryWindowLengthAndChunking) {
    // Values span many decades, with runs of equal values and of silence; the channels differ.
    std::vector<double> left = enginetest::noise(6000, 1.0, 7), right = enginetest::noise(6000, 1.0, 8);
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] = std::fabs(left[i]);
        right[i] = std::fabs(right[i]);
        if (i % 97 == 0) left[i] *= 1e15;
        if (i % 500 < 40) left[i] = i % 1000 < 500 ? 0.0 : 0.25;
        if (i % 700 < 90) right[i] = 0.5;
    }
    const auto bruteForce = [](const std::vector<double>& v, std::size_t i, int window) {
        double expected = 0.0;  // an empty window reads 0
        for (std::size_t j = i + 1 > static_cast<std::size_t>(window) ? i + 1 - window : 0; j <= i; ++j)
            expected = std::max(expected, v[j]);
        return expected;
    };
    for (int window : {1, 2, 3, 7, 8, 100, 101, 256, 512}) {
        StereoSlidingMax windowMax(512);
        windowMax.setWindow(window);
        std::vector<Stereo> maxima(left.size());
        for (std::size_t i = 0, chunk = 1; i < left.size(); i += chunk, chunk = chunk % 128 + 13) {
            const int n = static_cast<int>(std::min(chunk, left.size() - i));
            for (std::size_t k = i; k < i + static_cast<std::size_t>(n); ++k) maxima[k] = {left[k], right[k]};
            windowMax.push(&maxima[i], n, &maxima[i]);
        }
        for (std::size_t i = 0; i < left.size(); ++i) {
            ASSERT_EQ(maxima[i].l, bruteForce(left, i, window)) << "left, window " << window << " sample " << i;
            ASSERT_EQ(maxima[i].r, bruteForce(right, i, window)) << "right, window " << window << " sample " << i;
        }
    }
}

TEST(TransientKernel, IsANormalisedSymmetricBellWithTheDocumentedEightTapProfile) {
    for (int n : {8, 16, 32, 64, 128, 256}) {
        std::vector<double> k(static_cast<std::size_t>(n));
        buildTransientKernel(n, k.data());
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            sum += k[static_cast<std::size_t>(i)];
            EXPECT_NEAR(k[static_cast<std::size_t>(i)], k[static_cast<std::size_t>(n - 1 - i)], 1e-15);
            EXPECT_GE(k[static_cast<std::size_t>(i)], 0.0);
        }
        EXPECT_NEAR(sum, 1.0, 1e-14);
    }
    std::array<double, 8> k{};
    buildTransientKernel(8, k.data());
    const double cumulative[] = {0.0854, 0.263, 0.5, 0.737, 0.9146, 1.0};
    double sum = 0.0;
    for (int i = 0; i < 6; ++i) {
        sum += k[static_cast<std::size_t>(i + 1)];
        EXPECT_NEAR(sum, cumulative[i], 5e-4);
    }
}

TEST(EnvelopeConvolution, DirectAndFftEnginesMatchTheDefiningSum) {
    for (int n : {8, 16, 32, 64, 256}) {
        std::vector<double> kernel(static_cast<std::size_t>(n));
        buildTransientKernel(n, kernel.data());
        const std::vector<double> wl = enginetest::noise(5 * static_cast<std::size_t>(n) + 3, 2.0, 1);
        const std::vector<double> wr = enginetest::noise(wl.size(), 0.5, 2);
        DirectConvolution direct;
        FftConvolution fft;
        direct.configure(kernel.data(), n);
        fft.configure(kernel.data(), n);
        for (std::size_t t = 0; t < wl.size(); ++t) {
            // e[t] = Σ_j κ[j]·w[t-N+1-j], w before the start being 0
            double el = 0.0, er = 0.0;
            for (int j = 0; j < n; ++j) {
                const long idx = static_cast<long>(t) - n + 1 - j;
                if (idx < 0) continue;
                el += kernel[static_cast<std::size_t>(j)] * wl[static_cast<std::size_t>(idx)];
                er += kernel[static_cast<std::size_t>(j)] * wr[static_cast<std::size_t>(idx)];
            }
            Stereo d;
            direct.process(&wl[t], &wr[t], 1, &d.l, &d.r);
            const Stereo f = fft.push({wl[t], wr[t]});
            ASSERT_NEAR(d.l, el, 1e-13) << n << " " << t;
            ASSERT_NEAR(d.r, er, 1e-13) << n << " " << t;
            ASSERT_NEAR(f.l, el, 1e-13) << n << " " << t;
            ASSERT_NEAR(f.r, er, 1e-13) << n << " " << t;
        }
    }
}

TEST(EnvelopeConvolution, DirectSumsDoNotDependOnTheChunking) {
    for (int n : {8, 32, 256}) {
        std::vector<double> kernel(static_cast<std::size_t>(n));
        buildTransientKernel(n, kernel.data());
        const auto w = enginetest::noise(2000, 1.0, 4);
        std::vector<double> single(w.size()), chunked(w.size()), ignored(w.size());
        DirectConvolution a, b;
        a.configure(kernel.data(), n);
        b.configure(kernel.data(), n);
        for (std::size_t t = 0; t < w.size(); ++t) a.process(&w[t], &w[t], 1, &single[t], &ignored[t]);
        for (std::size_t t = 0; t < w.size(); t += 50) b.process(&w[t], &w[t], 50, &chunked[t], &ignored[t]);
        EXPECT_EQ(single, chunked) << n;
    }
}

TEST(TransientEnvelope, AnIsolatedPeakGivesTheSymmetricProfileCentredOnTheOutputInstant) {
    // Rate class 0, "hard": N = 8, L = 128, M = 114. The output at step n carries the detector value of
    // step n - L, so a peak entered at step k0 must be covered from k0 + L - 1 to k0 + L + 1.
    TransientEnvelope envelope;
    envelope.configure(8, 114);
    const int k0 = 40, lookAhead = 128;
    std::vector<double> c(300, 0.0), silent(300, 0.0), p(300), ignored(300);
    c[k0] = 1.0;
    for (int n = 0; n < 300; n += 60) envelope.process(&c[n], &silent[n], 60, &p[n], &ignored[n]);
    const int centre = k0 + lookAhead;
    const double profile[] = {0.0854, 0.263, 0.5, 0.737, 0.9146, 1.0, 1.0, 1.0,
                              0.9146, 0.737, 0.5, 0.263, 0.0854};
    for (int i = 0; i < 13; ++i) EXPECT_NEAR(p[static_cast<std::size_t>(centre - 6 + i)], profile[i], 5e-4) << i;
    EXPECT_NEAR(p[static_cast<std::size_t>(centre - 7)], 0.0, 1e-12);
    EXPECT_NEAR(p[static_cast<std::size_t>(centre + 7)], 0.0, 1e-12);
}

namespace {

// The interpolator run over a whole signal (left channel), in chunks of 13 samples.
void interpolate(const std::vector<double>& x, std::vector<double>& centre, std::vector<double>& half) {
    HalfSampleInterpolator interpolator;
    const std::vector<double> silent(x.size(), 0.0);
    std::vector<double> ignored(x.size());
    centre.assign(x.size(), 0.0);
    half.assign(x.size(), 0.0);
    for (std::size_t i = 0; i < x.size(); i += 13) {
        const int n = static_cast<int>(std::min<std::size_t>(13, x.size() - i));
        interpolator.process(&x[i], &silent[i], n, &centre[i], &ignored[i], &half[i], &ignored[i]);
    }
}

// The half-sample sums of a vector of samples from start, slice by slice, as the kernel's loops add them.
void addEverySlice(const HalfSampleInterpolator& interpolator, int start, simd::Wide& l, simd::Wide& r) {
    constexpr int kSlice = HalfSampleInterpolator::kTapSlice;
    [&]<int... k>(std::integer_sequence<int, k...>) { (interpolator.addTaps<k * kSlice>(start, l, r), ...); }(
        std::make_integer_sequence<int, HalfSampleInterpolator::kLength / 2 / kSlice>{});
}

// The same through appended(), addTaps() a vector of samples at a time and advance(), as loops that step
// other work between the slices use it (right channel: x reversed).
void interpolateInSlices(const std::vector<double>& x, std::vector<double>& centre, std::vector<double>& half,
                         std::vector<double>& halfRight) {
    HalfSampleInterpolator interpolator;
    const std::vector<double> reversed(x.rbegin(), x.rend());
    centre.assign(x.size(), 0.0);
    half.assign(x.size(), 0.0);
    halfRight.assign(x.size(), 0.0);
    for (std::size_t i = 0; i < x.size(); i += 13) {
        const int n = static_cast<int>(std::min<std::size_t>(13, x.size() - i));
        std::copy(&x[i], &x[i] + n, interpolator.appendedL());
        std::copy(&reversed[i], &reversed[i] + n, interpolator.appendedR());
        for (int start = 0; start < n; start += simd::kWideLanes) {
            simd::Wide l = {}, r = {};
            addEverySlice(interpolator, start, l, r);
            for (int j = 0; j < simd::kWideLanes && start + j < n; ++j) {
                const std::size_t at = i + static_cast<std::size_t>(start + j);
                half[at] = l[j];
                halfRight[at] = r[j];
                centre[at] = interpolator.centreL()[start + j];
            }
        }
        interpolator.advance(n);
    }
}

}  // namespace

TEST(HalfSampleInterpolator, GivesTheDocumentedImpulseAndQuarterRateValues) {
    std::vector<double> x(70, 0.0), centre, half;
    x[0] = 1.0;
    interpolate(x, centre, half);
    EXPECT_EQ(centre[31], 1.0);
    EXPECT_EQ(centre[30], 0.0);
    EXPECT_NEAR(half[31], 2 * 0.3178658799033, 1e-15);  // the point just before the sample
    EXPECT_NEAR(half[32], 2 * 0.3178658799033, 1e-15);  // and just after it
    double sum = 0.0;
    for (int n = 0; n < 64; ++n) sum += half[static_cast<std::size_t>(n)];
    EXPECT_NEAR(sum, 0.99999973, 1e-8);

    // A quarter-rate sine at 45°: samples ±0.7071, the half-sample points reach the true peak 1.0.
    const auto sine = enginetest::sine(200, 0.25, 1.0, std::numbers::pi / 4);
    interpolate(sine, centre, half);
    double peak = 0.0;
    for (std::size_t n = 65; n < half.size(); ++n) peak = std::max(peak, std::fabs(half[n]));
    EXPECT_NEAR(peak, 1.0, 0.002);
}

TEST(HalfSampleInterpolator, SumsEachSampleInTheWrittenOrder) {
    // The chunked, vectorized sums equal the plain sequential sum bit for bit.
    const auto& h = HalfSampleInterpolator::kHalfTaps;
    const auto x = enginetest::noise(500, 1.0, 9);
    std::vector<double> centre, half;
    interpolate(x, centre, half);
    for (std::size_t n = 63; n < x.size(); ++n) {
        double s = 0.0;
        for (int k = 0; k < 32; ++k) s += 2 * h[k] * (x[n - static_cast<std::size_t>(k)] + x[n - 63 + static_cast<std::size_t>(k)]);
        ASSERT_EQ(half[n], s) << n;
        ASSERT_EQ(centre[n], x[n - 31]);
    }

    // The sums taken in slices beside other work: the same bits, on both channels.
    std::vector<double> slicedCentre, slicedHalf, slicedRight, rightCentre, rightHalf;
    interpolateInSlices(x, slicedCentre, slicedHalf, slicedRight);
    interpolate(std::vector<double>(x.rbegin(), x.rend()), rightCentre, rightHalf);
    for (std::size_t n = 0; n < x.size(); ++n) {
        ASSERT_EQ(slicedHalf[n], half[n]) << n;
        ASSERT_EQ(slicedRight[n], rightHalf[n]) << n;
        ASSERT_EQ(slicedCentre[n], centre[n]) << n;
    }
}

namespace {

struct Detected {
    std::vector<double> delayedL, detectorL, detectorR, lookAheadL, lookAheadR;
};

Detected detect(const std::vector<double>& l, const std::vector<double>& r, bool oversample, double link) {
    PeakDetector detector;
    detector.setLookAhead(128);
    detector.reset();
    Detected d;
    DetectorChunk chunk;
    for (std::size_t i = 0; i < l.size(); i += 64) {
        const int n = static_cast<int>(std::min<std::size_t>(64, l.size() - i));
        detector.process(&l[i], &r[i], n, oversample, link, chunk);
        for (int k = 0; k < n; ++k) {
            d.delayedL.push_back(chunk.delayedL[k]);
            d.detectorL.push_back(chunk.detectorL[k]);
            d.detectorR.push_back(chunk.detectorR[k]);
            d.lookAheadL.push_back(chunk.lookAheadL[k]);
            d.lookAheadR.push_back(chunk.lookAheadR[k]);
        }
    }
    return d;
}

}  // namespace

TEST(PeakDetector, ReportsAFullScaleSampleExactlyAndItsHalfSampleNeighboursWithTheMargin) {
    std::vector<double> l(400, 0.0), silent(400, 0.0);
    l[10] = 1.0;
    const auto plain = detect(l, silent, false, 1.0);
    EXPECT_EQ(plain.detectorL[41], 1.0);  // 31 samples later
    EXPECT_EQ(plain.delayedL[41], 1.0);
    EXPECT_EQ(plain.detectorL[40], kPeakFloor);
    EXPECT_EQ(plain.detectorR[41], kPeakFloor);  // silence reads exactly the floor

    const auto over = detect(l, silent, true, 1.0);
    EXPECT_DOUBLE_EQ(over.detectorL[41], 1.001);
    // The half-sample point before the peak is measured together with it; the one after it a step later.
    EXPECT_NEAR(over.detectorL[42], 2 * 0.3178658799033 * 1.001, 1e-12);
    EXPECT_NEAR(over.detectorL[40], 2 * 0.1047780783523 * 1.001, 1e-12);
}

TEST(PeakDetector, FindsTheTruePeakOfAQuarterRateSineOnlyWhenOversampling) {
    const auto s = enginetest::sine(400, 0.25, 1.0, std::numbers::pi / 4);
    const std::vector<double> silent(400, 0.0);
    const auto over = detect(s, silent, true, 0.0);
    const auto plain = detect(s, silent, false, 0.0);
    EXPECT_NEAR(over.detectorL[300], 1.001, 0.003);
    EXPECT_NEAR(plain.detectorL[300], std::sqrt(0.5), 1e-12);
}

TEST(PeakDetector, LookAheadPeakHoldsExactlyLSamplesAndFollowsTheLink) {
    std::vector<double> l(600, 0.0), r(600, 0.0);
    l[100] = 0.8;
    r[100] = 0.2;
    const auto linked = detect(l, r, false, 1.0);
    const auto apart = detect(l, r, false, 0.0);
    const auto half = detect(l, r, false, 0.5);
    const int first = 131, last = 131 + 127;  // enters with its detector value, leaves L samples later
    EXPECT_EQ(apart.lookAheadL[first - 1], kPeakFloor);
    EXPECT_EQ(apart.lookAheadL[first], 0.8);
    EXPECT_EQ(apart.lookAheadL[last], 0.8);
    EXPECT_EQ(apart.lookAheadL[last + 1], kPeakFloor);
    EXPECT_EQ(apart.lookAheadR[first], 0.2);
    EXPECT_EQ(linked.lookAheadR[first], 0.8);
    EXPECT_NEAR(half.lookAheadR[first], 0.5, 1e-15);
}

TEST(PeakDetector, SummingAheadThenDetectingEqualsProcessing) {
    // The kernel's split: the chunk written to the interpolator, its half-sample sums in slices (a vector
    // of samples, a slice of taps at a time, as beside the requantizer), the detection later. Chunks of varying
    // length, both channels, with and without oversampling.
    const auto l = enginetest::noise(3000, 0.9, 41), r = enginetest::noise(3000, 0.6, 42);
    for (const bool oversample : {false, true}) {
        PeakDetector whole, split;
        DetectorChunk a, b;
        constexpr int kMax = DetectorChunk::kMax;
        constexpr int kSizes[] = {kMax, kMax, kMax * 3 / 5, 1, kMax, 9, kMax / 2};
        for (std::size_t at = 0, k = 0; at < l.size(); ++k) {
            const int n = static_cast<int>(std::min<std::size_t>(kSizes[k % 7], l.size() - at));
            whole.process(&l[at], &r[at], n, oversample, 0.5, a);
            HalfSampleInterpolator& interpolator = split.interpolator();
            std::copy(&l[at], &l[at] + n, interpolator.appendedL());
            std::copy(&r[at], &r[at] + n, interpolator.appendedR());
            for (int start = 0; oversample && start < n; start += simd::kWideLanes) {
                simd::Wide sumL = {}, sumR = {};
                addEverySlice(interpolator, start, sumL, sumR);
                simd::store(split.halfL() + start, sumL);
                simd::store(split.halfR() + start, sumR);
            }
            split.detectInterpolated(n, oversample, 0.5, b);
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(a.delayedL[i], b.delayedL[i]) << at + i;
                ASSERT_EQ(a.delayedR[i], b.delayedR[i]) << at + i;
                ASSERT_EQ(a.detectorL[i], b.detectorL[i]) << at + i;
                ASSERT_EQ(a.detectorR[i], b.detectorR[i]) << at + i;
                ASSERT_EQ(a.lookAheadL[i], b.lookAheadL[i]) << at + i;
                ASSERT_EQ(a.lookAheadR[i], b.lookAheadR[i]) << at + i;
            }
            at += static_cast<std::size_t>(n);
        }
    }
}

TEST(TransientEnvelope, GivesOnlyValuesUpToOneAsOneWhenAllowedAndEveryOtherValueExactly) {
    // Stretches of detector values far below, near and above 1 in turn, per channel in other places, at
    // every direct window length: a value may come as 1 only where the exact envelope is at most 1.
    for (const int window : {8, 16, 32, 64, 128}) {
        TransientEnvelope exact, allowed;
        exact.configure(window, 300 - 2 * window);
        allowed.configure(window, 300 - 2 * window);
        const std::size_t length = 3000;
        std::vector<double> cL(length), cR(length);
        const auto noiseL = enginetest::noise(length, 1.0, 51), noiseR = enginetest::noise(length, 1.0, 52);
        for (std::size_t i = 0; i < length; ++i) {
            const double levelL = (i / 200) % 3 == 0 ? 0.3 : (i / 200) % 3 == 1 ? 0.999 : 1.4;
            const double levelR = (i / 330) % 2 == 0 ? 0.5 : 1.2;
            cL[i] = std::fabs(noiseL[i]) * levelL + kPeakFloor;
            cR[i] = std::fabs(noiseR[i]) * levelR + kPeakFloor;
        }
        std::vector<double> pL(length), pR(length), qL(length), qR(length);
        int givenAsOne = 0;
        for (std::size_t at = 0; at < length; at += 50) {
            exact.process(&cL[at], &cR[at], 50, &pL[at], &pR[at]);
            allowed.process(&cL[at], &cR[at], 50, &qL[at], &qR[at], true);
        }
        for (std::size_t i = 0; i < length; ++i) {
            for (const auto& [p, q] : {std::pair{pL[i], qL[i]}, std::pair{pR[i], qR[i]}}) {
                if (q == p) continue;
                ASSERT_EQ(q, 1.0) << "window " << window << " sample " << i;
                ASSERT_LE(p, 1.0) << "window " << window << " sample " << i;
                ++givenAsOne;
            }
        }
        EXPECT_GT(givenAsOne, 0) << "window " << window;  // the quiet stretches were not summed
    }
}

namespace {

// Both channels through the kernel's paired followers, in chunks of varying length; from sample
// `linkedFrom` on the two inputs are the same and the followers are told so.
struct FollowerPeaks {
    std::vector<double> left, right;
};
FollowerPeaks follow(const std::vector<double>& dL, const std::vector<double>& dR, bool twoStages,
                     const FollowerCoefficients& c, std::size_t linkedFrom = SIZE_MAX) {
    ReleaseFollowers left, right;
    FollowerPeaks f{std::vector<double>(dL.size()), std::vector<double>(dL.size())};
    for (std::size_t i = 0, chunk = 1; i < dL.size(); i += chunk, chunk = chunk % 128 + 9) {
        const int n = static_cast<int>(std::min(chunk, dL.size() - i));
        ReleaseFollowers::processPair(left, right, &dL[i], &dR[i], n, c, twoStages, i >= linkedFrom, &f.left[i],
                                      &f.right[i]);
    }
    return f;
}

}  // namespace

TEST(ReleaseFollowers, MatchTheScalarFollowerFormulasExactly) {
    FollowerCoefficients c;
    c.setAttack(48000.0);
    c.setRelease(37.0, 48000.0);
    auto dL = enginetest::noise(3000, 2.0, 17), dApart = enginetest::noise(3000, 1.2, 18);
    for (auto* d : {&dL, &dApart})
        for (double& v : *d) v = std::fabs(v) + 0.00001;
    // Channels apart, linked from the start (the right channel's steps are left out) and linked half-way
    // (the followers' states differ when the inputs become the same).
    for (const std::size_t linkedFrom : {std::size_t{SIZE_MAX}, std::size_t{0}, std::size_t{1500}})
    for (bool twoStages : {false, true}) {
        std::vector<double> dR = dApart;
        for (std::size_t i = linkedFrom; i < dR.size(); ++i) dR[i] = dL[i];
        double f1[2][8] = {}, f2[2][8] = {};
        const FollowerPeaks f = follow(dL, dR, twoStages, c, linkedFrom);
        for (std::size_t i = 0; i < dL.size(); ++i) {
            for (int ch = 0; ch < 2; ++ch) {
                const double d = ch == 0 ? dL[i] : dR[i];
                double* first = f1[ch];
                double* second = f2[ch];
                double expected = 1.0;
                for (int k = 0; k < 8; ++k) {
                    first[k] = first[k] + (d - first[k]) * (d >= first[k] ? c.attack[k] : c.release[k]);
                    second[k] = twoStages ? second[k] + (first[k] - second[k]) *
                                                            (first[k] > second[k] ? c.attack[k] : c.release[k])
                                          : first[k];
                    expected = std::max(expected, second[k]);
                }
                ASSERT_EQ(ch == 0 ? f.left[i] : f.right[i], expected)
                    << i << (ch == 0 ? " left" : " right") << (twoStages ? ", two stages" : ", one stage")
                    << ", linked from " << linkedFrom;
            }
        }
    }
}

TEST(ReleaseFollowers, TwoStagesReachAStepLaterThanOne) {
    FollowerCoefficients c;
    c.setAttack(44100.0);
    c.setRelease(200.0, 44100.0);
    const std::vector<double> step(20000, 2.0);
    const auto one = follow(step, step, false, c).left, two = follow(step, step, true, c).left;
    const auto reached = [](const std::vector<double>& f) { return std::find_if(f.begin(), f.end(), [](double v) { return v > 1.9; }) - f.begin(); };
    EXPECT_GT(reached(one), 0);
    EXPECT_GT(reached(two), reached(one));
    EXPECT_LT(reached(two), 20000);
    // Below full scale the followers never reduce the gain.
    const std::vector<double> quiet(100, 0.9);
    EXPECT_EQ(follow(quiet, quiet, true, c).left.back(), 1.0);
}

TEST(NoiseShapeTaps, EachShapeHasItsOwnSetAtTheSixRatesAndNoneElsewhere) {
    const int rates[] = {44100, 48000, 88200, 96000, 176400, 192000};
    const double firstTap[3][6] = {{-1.14927, -1.320576, -2.295096, -2.361518, -1.974841, -1.830033},
                                   {-1.98998, -2.292807, -2.569667, -2.420053, -1.583163, -1.478775},
                                   {-2.373123, -2.550927, -2.348798, -2.228022, -1.29969, -1.322058}};
    for (int shape = 1; shape <= 3; ++shape)
        for (int i = 0; i < 6; ++i) {
            const NoiseShapeTaps* taps = findNoiseShapeTaps(shape, rates[i]);
            ASSERT_NE(taps, nullptr);
            EXPECT_EQ((*taps)[0], firstTap[shape - 1][i]);
        }
    EXPECT_EQ(findNoiseShapeTaps(2, 32000), nullptr);
    EXPECT_EQ(findNoiseShapeTaps(0, 44100), nullptr);
    EXPECT_EQ((*findNoiseShapeTaps(2, 44100))[11], 0.094727);
    EXPECT_EQ((*findNoiseShapeTaps(3, 44100))[11], 0.0);
}

TEST(DitherGenerator, DrawsTheWrittenSequenceAndAChunkDrawsItSampleBySample) {
    // The three registers as written, one draw after another.
    std::uint32_t s1 = 592, s2 = 153768, s3 = 1526;
    DitherGenerator g;
    for (int i = 0; i < 5000; ++i) {
        s1 = (s1 << 13) ^ (((s1 ^ (s1 >> 9)) >> 6) & 0x1FFFu);
        s2 = (s2 << 20) ^ (((s2 ^ (s2 >> 2)) >> 7) & 0xFFFFFu);
        s3 = (s3 << 17) ^ (((s3 ^ (s3 >> 6)) >> 8) & 0x1FFFFu);
        ASSERT_EQ(g.next(), static_cast<double>(s1 ^ s2 ^ s3) * 2.3283064365e-10 * 2.0 - 1.0) << i;
    }
    // A chunk of any length from any state: the pairs of triangular(), nothing written past them, and
    // the generator where the samples one by one leave it.
    for (int skip : {0, 1, 7, 4099}) {
        for (int n = 1; n <= kChunkFrames; ++n) {
            DitherGenerator chunked, single;
            for (int i = 0; i < skip; ++i) chunked.next(), single.next();
            std::array<Stereo, kChunkFrames + 1> d;
            d.fill({7.0, 7.0});
            chunked.triangularChunk(n, d.data());
            for (int i = 0; i < n; ++i) {
                const Stereo expected = single.triangular();
                ASSERT_EQ(d[static_cast<std::size_t>(i)].l, expected.l) << "skip " << skip << " n " << n << " sample " << i;
                ASSERT_EQ(d[static_cast<std::size_t>(i)].r, expected.r) << "skip " << skip << " n " << n << " sample " << i;
            }
            for (std::size_t i = static_cast<std::size_t>(n); i < d.size(); ++i) ASSERT_EQ(d[i].l, 7.0) << n;
            ASSERT_EQ(chunked.next(), single.next()) << "skip " << skip << " n " << n;
        }
    }
}

TEST(MeterAccumulator, HoldsEachPeakAsTheLargestMagnitudeRoundedTo32BitPrecision) {
    // Magnitudes that round up, down and to even at 32-bit precision, beyond its range, and the same
    // values again in other runs: the held peak is the largest of every sample's rounded magnitude,
    // whichever of the meters' entries took it and however the samples are split into runs.
    const double ulp = std::ldexp(1.0, -24);  // half a 32-bit step at 0.5..1
    const std::vector<double> values = {0.25,       -0.5 - ulp / 2, 0.5 + ulp * 0.49, -(0.75 + ulp * 0.51),
                                        0.75 + ulp, -1e-300,        1.5e38,           -0.9999999};
    const auto rounded = [](double x) { return static_cast<double>(static_cast<float>(std::fabs(x))); };
    for (int split = 0; split <= static_cast<int>(values.size()); ++split) {
        MeterAccumulator meters;
        double inL = 0.0, inR = 0.0, outL = 0.0, outR = 0.0;
        for (int part = 0; part < 2; ++part) {
            MeterAccumulator::Run run = meters.run();
            const std::size_t from = part == 0 ? 0 : static_cast<std::size_t>(split);
            const std::size_t to = part == 0 ? static_cast<std::size_t>(split) : values.size();
            for (std::size_t i = from; i < to; ++i) {
                const double v = values[i], w = values[values.size() - 1 - i];
                run.input({v, w}, 2.0);
                inL = std::max(inL, rounded(2.0 * v));
                inR = std::max(inR, rounded(2.0 * w));
                if (i % 2 == 0) run.output({w, v});
                else run.outputBetween({w, v});
                outL = std::max(outL, rounded(w));
                outR = std::max(outR, rounded(v));
            }
            meters.finish(run);
        }
        const MeterLevels& m = meters.levels();
        EXPECT_EQ(m.inputPeak[0], inL) << split;
        EXPECT_EQ(m.inputPeak[1], inR) << split;
        EXPECT_EQ(m.outputPeak[0], outL) << split;
        EXPECT_EQ(m.outputPeak[1], outR) << split;
    }
}

namespace {

std::vector<double> requantize(Requantizer& q, const std::vector<double>& in, double h) {
    DitherGenerator g;
    std::vector<double> out;
    for (double v : in) out.push_back(q.step({v, -v}, h, false, g).l);
    return out;
}

}  // namespace

TEST(Requantizer, KeepsTheTapsInUseAtARateWithoutSets) {
    const auto in = enginetest::noise(2000, 0.3, 3);
    Requantizer unshaped, shapedAt44, kept, chosenAt32;
    shapedAt44.selectShape(2, 44100);
    kept.selectShape(2, 44100);
    kept.selectShape(2, 32000);
    chosenAt32.selectShape(2, 32000);
    for (Requantizer* q : {&unshaped, &shapedAt44, &kept, &chosenAt32}) q->reset();
    const auto a = requantize(unshaped, in, 32768), b = requantize(shapedAt44, in, 32768);
    EXPECT_NE(a, b);
    EXPECT_EQ(requantize(kept, in, 32768), b);
    EXPECT_EQ(requantize(chosenAt32, in, 32768), a);
}

TEST(Requantizer, QuantizesHugeValuesWithoutIntegerOverflow) {
    Requantizer q;
    q.reset();
    DitherGenerator g;
    const Stereo y = q.step({1e6, -3e9}, 32768.0, false, g);
    EXPECT_NEAR(y.l, 1e6, 1.0 / 32768);
    EXPECT_NEAR(y.r, -3e9, 1.0);
}

// The requantizer as written, sample by sample: Σ a_k·e[n-k] over all twelve taps from 0, newest error
// first; dither, truncation, the error store; the auto-black gain; then the clip.
class WrittenRequantizer {
public:
    WrittenRequantizer(const NoiseShapeTaps& taps, double fs) : taps_(taps), autoblackCoefficient_(onePoleCoefficient(10.0, fs)) {}

    Stereo step(Stereo y, double h, bool autoblack) {
        const double level = std::max(std::fabs(y.l), std::fabs(y.r));
        gain_ = !autoblack || level > 1e-8 ? 1.0 : (gain_ - gain_ * autoblackCoefficient_ + 1e-30) - 1e-30;
        double shaping[2] = {0.0, 0.0};
        for (int t = 0; t < 12; ++t)
            for (int c = 0; c < 2; ++c) shaping[c] += taps_[t] * errors_[c][(position_ - t + 12) % 12];
        position_ = (position_ + 1) % 12;
        double out[2];
        for (int c = 0; c < 2; ++c) {
            const double v = (c == 0 ? y.l : y.r) + shaping[c];
            const double d = (dither_.next() + dither_.next()) / 2.0;
            const double q = (std::trunc(v * h + d + h) - h) / h;
            errors_[c][position_] = q - v;
            const double x = q * gain_;
            out[c] = (std::fabs(x + 1.0) - std::fabs(x - 1.0)) / 2.0;
        }
        return {out[0], out[1]};
    }

private:
    NoiseShapeTaps taps_;
    double autoblackCoefficient_;
    double errors_[2][12] = {};
    int position_ = 0;
    double gain_ = 1e-20;
    DitherGenerator dither_;
};

TEST(Requantizer, TheKernelsOutputLoopsGiveTheBitsOfTheWrittenFormula) {
    // The kernel steps the requantizer inside its output loops (one with plain, one with oversampled output
    // meters), skips zero taps, specialises by tap count and keeps its errors in units of the grid step;
    // all must give the bits of the written formula, also when the word length, auto-black or the meters'
    // oversampling change between blocks. With Power off the requantizer sees the input delayed by the
    // latency; a stretch of silence lets auto-black fade.
    const auto in = enginetest::noise(6000, 0.5, 21);
    constexpr double kWordLengths[3] = {128.0, 32768.0, 8388608.0};  // 8, 16 and 24 bits
    constexpr int kBlockLengths[] = {100, 37, 300, 1, 128, 255, 129, 700};
    for (int shape = 0; shape < 4; ++shape) {
        for (int rate : {44100, 48000, 176400}) {
            const RateConfig config = makeRateConfig(rate, 0);
            SignalPath path(config, 200.0);
            path.setRate(config, 200.0, shape);
            path.reset(1.0, 1.0);
            const NoiseShapeTaps none{};
            WrittenRequantizer written(shape == 0 ? none : *findNoiseShapeTaps(shape, rate), config.fs);
            std::vector<double> l(in.size()), r(in.size());
            for (std::size_t k = 0; k < in.size(); ++k) {
                const bool silent = k >= 2000 && k < 3500;
                l[k] = silent ? 0.0 : in[k];
                r[k] = silent || k % 7 == 0 ? 0.0 : -0.5 * in[k];
            }
            std::vector<double> outL(in.size()), outR(in.size());
            BlockSettings s;
            s.power = false;
            s.quantize = true;
            for (std::size_t i = 0, block = 0; i < in.size(); i += static_cast<std::size_t>(kBlockLengths[block % 8]), ++block) {
                const int n = static_cast<int>(std::min<std::size_t>(kBlockLengths[block % 8], in.size() - i));
                s.quantizerScale = kWordLengths[block % 3];
                s.autoblack = block % 4 < 2;
                s.meterOversample = block % 2 == 1;
                path.processLimiter(&l[i], &r[i], &outL[i], &outR[i], n, s);
                for (std::size_t k = i; k < i + static_cast<std::size_t>(n); ++k) {
                    const std::size_t latency = static_cast<std::size_t>(config.latency());
                    const Stereo y = k < latency ? Stereo{} : Stereo{l[k - latency], r[k - latency]};
                    const Stereo expected = written.step(y, s.quantizerScale, s.autoblack);
                    ASSERT_EQ(outL[k], expected.l) << "shape " << shape << " rate " << rate << " sample " << k;
                    ASSERT_EQ(outR[k], expected.r) << "shape " << shape << " rate " << rate << " sample " << k;
                }
            }
        }
    }
}

TEST(RateConfig, DerivesLengthsAndLatencyFromTheRateClass) {
    struct Case { double host; int rate, lookAhead, windowSoft, latency; };
    const Case cases[] = {{44100, 44100, 128, 64, 159},    {48000.7, 48000, 128, 64, 159},
                          {79999, 79999, 128, 64, 159},    {80000, 80000, 256, 128, 287},
                          {96000, 96000, 256, 128, 287},   {169999, 169999, 256, 128, 287},
                          {170000, 170000, 512, 256, 543}, {192000, 192000, 512, 256, 543},
                          {4000, 44100, 128, 64, 159},     {250000, 44100, 128, 64, 159},
                          {std::numeric_limits<double>::quiet_NaN(), 44100, 128, 64, 159}};
    for (const Case& c : cases) {
        const RateConfig soft = makeRateConfig(validSampleRate(c.host), 2);
        EXPECT_EQ(soft.rate, c.rate) << c.host;
        EXPECT_EQ(soft.lookAhead, c.lookAhead) << c.host;
        EXPECT_EQ(soft.window, c.windowSoft) << c.host;
        EXPECT_EQ(soft.envelopeDelay, 2) << c.host;
        EXPECT_EQ(soft.latency(), c.latency) << c.host;
    }
    EXPECT_EQ(makeRateConfig(192000, 0).envelopeDelay, 450);
    EXPECT_EQ(makeRateConfig(96000, 1).envelopeDelay, 194);
}

TEST(ShortWindowMax, EqualsTheBruteForceMaximumForEveryWindowLengthAndChunking) {
    std::vector<double> values = enginetest::noise(3000, 1.0, 11);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = std::fabs(values[i]);
        if (i % 89 == 0) values[i] *= 1e12;
        if (i % 400 < 30) values[i] = 0.125;
    }
    for (int window : {1, 2, 3, 5, 8, 13, 16, 64}) {
        ShortWindowMax windowMax(64);
        windowMax.setWindow(window);
        std::vector<double> out(values.size());
        // Chunks of many lengths, a few longer than the kernel's chunk (the stage then splits them).
        for (std::size_t i = 0, chunk = 1; i < values.size(); i += chunk, chunk = chunk % 140 + 7) {
            const int n = static_cast<int>(std::min(chunk, values.size() - i));
            windowMax.process(&values[i], n, &out[i]);
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            double expected = 0.0;  // an empty window reads 0
            for (std::size_t j = i + 1 > static_cast<std::size_t>(window) ? i + 1 - window : 0; j <= i; ++j)
                expected = std::max(expected, values[j]);
            ASSERT_EQ(out[i], expected) << "window " << window << " sample " << i;
        }
    }
}
