// Whole-kernel properties of the signal path, driven through Processor with physical parameter values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <set>
#include <vector>

#include "tests/engine/engine_test_support.h"

using namespace enginetest;
using zarpa::Processor;

namespace {

class Kernel : public ::testing::Test {
protected:
    Processor p;
    void SetUp() override { applyDefaultProgram(p); }
};

StereoBuffer<float> impulse(std::size_t n, std::size_t at, float value) {
    StereoBuffer<float> b(n);
    b.l[at] = value;
    b.r[at] = -value;
    return b;
}

}  // namespace

TEST_F(Kernel, DelaysByExactlyTheReportedLatencyAtEveryRateClass) {
    for (double rate : {44100.0, 48000.0, 80000.0, 96000.0, 169999.0, 170000.0, 192000.0, 4000.0}) {
        p.setSampleRate(rate);
        const int latency = p.latency();
        EXPECT_EQ(latency, rate < 80000.0 || rate == 4000.0 ? 159 : rate < 170000.0 ? 287 : 543) << rate;
        for (int shape = 0; shape < 3; ++shape) {
            p.setTransientShape(shape);
            for (bool oversample : {false, true}) {
                p.setOversample(oversample);
                p.reset();
                const auto out = run(p, impulse(2000, 100, 0.5f));
                for (std::size_t i = 0; i < out.size(); ++i) {
                    const float expected = i == 100 + static_cast<std::size_t>(latency) ? 0.5f : 0.0f;
                    ASSERT_EQ(out.l[i], expected) << rate << " shape " << shape << " at " << i;
                    ASSERT_EQ(out.r[i], -expected) << rate << " shape " << shape << " at " << i;
                }
            }
        }
        EXPECT_EQ(p.latency(), latency);  // the shape and oversampling never change it
    }
}

TEST_F(Kernel, PassesQuietSignalsBitExactlyInBothEntries) {
    p.setOversample(true);
    p.reset();
    const auto l = noise(20000, 0.3, 11), r = noise(20000, 0.3, 12);
    const auto in = stereo<float>(l, r);
    const auto out = run(p, in, 333);
    const std::size_t latency = 159;
    for (std::size_t i = 0; i < latency; ++i) ASSERT_EQ(out.l[i], 0.0f);
    for (std::size_t i = latency; i < in.size(); ++i) {
        ASSERT_EQ(out.l[i], in.l[i - latency]) << i;
        ASSERT_EQ(out.r[i], in.r[i - latency]) << i;
    }
    p.reset();
    const auto in64 = stereo<double>(l, r);
    const auto out64 = run(p, in64, 1000);
    for (std::size_t i = latency; i < in64.size(); ++i)
        ASSERT_NEAR(out64.l[i], in64.l[i - latency], 1e-16) << i;
}

TEST_F(Kernel, BothEntriesShareOneKernelAndBlockSizesDoNotMatter) {
    p.setDriveGain(8.0);
    p.setOversample(true);
    p.setQuantize(true);
    p.setNoiseShape(2);
    p.setLeveller(0.5, false);
    p.reset();
    const auto l = sine(30000, 0.013, 0.9), r = noise(30000, 0.9, 5);
    const auto single = run(p, stereo<float>(l, r), 4096);
    p.reset();
    const auto tiny = run(p, stereo<float>(l, r), 7);
    p.reset();
    const auto one = run(p, stereo<float>(l, r), 1);
    EXPECT_EQ(single.l, tiny.l);
    EXPECT_EQ(single.r, tiny.r);
    EXPECT_EQ(single.l, one.l);

    // The 64-bit entry with the same (single-precision) input gives the same samples before narrowing.
    const auto in32 = stereo<float>(l, r);
    StereoBuffer<double> in64(in32.size());
    for (std::size_t i = 0; i < in32.size(); ++i) {
        in64.l[i] = in32.l[i];
        in64.r[i] = in32.r[i];
    }
    p.reset();
    const auto out64 = run(p, in64, 512);
    for (std::size_t i = 0; i < out64.size(); ++i) {
        ASSERT_EQ(static_cast<float>(out64.l[i]), single.l[i]) << i;
        ASSERT_EQ(static_cast<float>(out64.r[i]), single.r[i]) << i;
    }
}

TEST_F(Kernel, NeverExceedsTheOutputGainOnHotSinesAndClippedNoise) {
    struct Setup { double drive, output, mix; int shape; bool oversample; double link; int order; };
    const Setup setups[] = {{4.0, 1.0, 0.0, 0, false, 1.0, 0},   {4.0, 0.5, 0.5, 1, true, 0.0, 1},
                            {16.0, 0.7, 0.02, 2, true, 0.5, 0},  {16.0, 1.0, 0.5, 0, false, 0.0, 1},
                            {2.0, 0.25, 0.1, 1, false, 1.0, 0}};
    for (double rate : {44100.0, 192000.0}) {
        p.setSampleRate(rate);
        for (const Setup& s : setups) {
            p.setDriveGain(s.drive);
            p.setOutputGain(s.output);
            p.setTransientMix(s.mix);
            p.setTransientShape(s.shape);
            p.setOversample(s.oversample);
            p.setLinkAmount(s.link);
            p.setDetectorOrder(s.order);
            p.setReleaseMs(5.0);
            p.reset();
            const double ceiling = s.output / (s.oversample ? 1.001 : 1.0) * (1.0 + 1e-12);
            for (double f : {0.001, 0.1, 0.249, 0.45, 0.4999}) {
                const auto out = run(p, stereo<double>(sine(12000, f, 1.0, 0.3), sine(12000, f * 0.7, 1.0)));
                EXPECT_LE(peakOf(out.l), ceiling) << rate << " f " << f;
                EXPECT_LE(peakOf(out.r), ceiling) << rate << " f " << f;
            }
            const auto clipped = run(p, stereo<double>(noise(12000, 1.0, 3), noise(12000, 1.0, 4)));
            EXPECT_LE(peakOf(clipped.l), ceiling) << rate;
            EXPECT_LE(peakOf(clipped.r), ceiling) << rate;
            EXPECT_GT(peakOf(clipped.l), 0.5 * s.output) << rate;  // limited, not silenced
        }
    }
}

TEST_F(Kernel, SettlesASineSixDecibelsOverFullScaleNearHalfGain) {
    p.setDriveGain(2.0);
    p.setTransientMix(0.0);
    p.setReleaseMs(1.0);
    p.reset();
    const auto out = run(p, stereo<double>(sine(44100, 0.01, 1.0), sine(44100, 0.01, 1.0)));
    EXPECT_LE(peakOf(out.l, 30000), 1.0);
    EXPECT_GT(peakOf(out.l, 30000), 0.95);
}

TEST_F(Kernel, PowerOffPassesTheDryInputDelayedAndClipped) {
    p.setPower(false);
    p.setDriveGain(16.0);
    p.reset();
    const auto l = noise(5000, 2.0, 8);
    const auto in = stereo<float>(l, l);
    const auto out = run(p, in);
    for (std::size_t i = 159; i < in.size(); ++i) {
        const float expected = std::clamp(in.l[i - 159], -1.0f, 1.0f);
        ASSERT_EQ(out.l[i], expected) << i;
    }
    float meters[10];
    p.getMeterValues(meters);
    EXPECT_GT(meters[2], 1.5f);  // the output meters see the signal before the clip
    EXPECT_EQ(meters[8], 1.0f);  // and no gain reduction
}

TEST_F(Kernel, SixtyFourBitOutputNeverLeavesFullScale) {
    // Above full scale the clip formula alone can round a step past ±1 in 64 bits.
    p.setPower(false);
    p.reset();
    const auto out = run(p, stereo<double>(noise(20000, 3.0, 21), noise(20000, 40.0, 22)));
    EXPECT_EQ(peakOf(out.l), 1.0);
    EXPECT_EQ(peakOf(out.r), 1.0);
}

TEST_F(Kernel, FarTooLoudSamplesComeOutAtFullScaleNotSilent) {
    // Far beyond full scale y + 1 and y - 1 round alike, and the bare clip formula would give 0.
    p.setPower(false);
    p.reset();
    std::vector<double> l(2000), r(2000);
    for (std::size_t i = 0; i < l.size(); ++i) {
        l[i] = (i % 2 ? 1.0 : -1.0) * 1e18;
        r[i] = i % 3 ? 3e15 : -1e19;
    }
    for (bool oneByOne : {false, true}) {  // the vector loop and its scalar tail
        p.reset();
        const auto out = oneByOne ? run(p, stereo<double>(l, r), 3) : run(p, stereo<double>(l, r));
        for (std::size_t i = 159; i < l.size(); ++i) {
            ASSERT_EQ(out.l[i], l[i - 159] > 0 ? 1.0 : -1.0) << i;
            ASSERT_EQ(out.r[i], r[i - 159] > 0 ? 1.0 : -1.0) << i;
        }
    }
}

TEST_F(Kernel, RecoversFromNonFiniteInput) {
    p.setDriveGain(4.0);
    p.setOversample(true);
    p.setLeveller(0.5, false);
    p.reset();
    auto l = sine(20000, 0.01, 0.8), r = noise(20000, 0.8, 2);
    auto clean = l;
    l[1000] = std::numeric_limits<double>::quiet_NaN();
    r[1001] = std::numeric_limits<double>::infinity();
    l[1002] = -std::numeric_limits<double>::infinity();
    clean[1000] = 0.0;
    auto cleanR = r;
    cleanR[1001] = 0.0;
    clean[1002] = 0.0;
    const auto poisoned = run(p, stereo<double>(l, r));
    p.reset();
    const auto reference = run(p, stereo<double>(clean, cleanR));
    EXPECT_EQ(poisoned.l, reference.l);
    EXPECT_EQ(poisoned.r, reference.r);
    float meters[10];
    p.getMeterValues(meters);
    for (float v : meters) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(Kernel, StaysFiniteAndBoundedForAbsurdlyLoudInput) {
    p.setDriveGain(16.0);
    p.setAutoOut(true);
    p.setOversample(true);
    p.setMeterOversample(true);
    p.setQuantize(true);
    p.reset();
    StereoBuffer<double> in(3000);
    for (std::size_t i = 0; i < in.size(); ++i) {
        in.l[i] = (i % 3 ? 1.0 : -1.0) * std::numeric_limits<double>::max();
        in.r[i] = i % 5 ? 1e12 : 0.0;
    }
    const auto out = run(p, in);
    for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_TRUE(std::isfinite(out.l[i]) && std::fabs(out.l[i]) <= 1.0) << i;
        ASSERT_TRUE(std::isfinite(out.r[i]) && std::fabs(out.r[i]) <= 1.0) << i;
    }
}

TEST_F(Kernel, AutoOutKeepsQuietSignalsAtTheirInputLevel) {
    p.setDriveGain(4.0);
    p.setAutoOut(true);
    p.reset();
    const auto l = sine(20000, 0.005, 0.1);
    const auto out = run(p, stereo<double>(l, l));
    for (std::size_t i = 10000; i < out.size(); ++i) ASSERT_NEAR(out.l[i], l[i - 159], 1e-9) << i;
}

TEST_F(Kernel, LevellerPullsTheAverageDrivenLevelToItsThreshold) {
    p.setLeveller(0.25, false);
    p.reset();
    const auto l = sine(5 * 44100, 0.01, 1.0);
    const auto out = run(p, stereo<double>(l, l));
    double sum = 0.0;
    for (std::size_t i = out.size() - 44100; i < out.size(); ++i) sum += std::fabs(out.l[i]);
    EXPECT_NEAR(sum / 44100, 0.25, 0.01);

    p.setLeveller(1.0, true);
    p.reset();
    const auto off = run(p, stereo<double>(sine(5000, 0.01, 0.5), sine(5000, 0.01, 0.5)));
    EXPECT_NEAR(peakOf(off.l), 0.5, 1e-3);
}

TEST_F(Kernel, MonoHostsGetIdenticalChannels) {
    const auto in = stereo<float>(noise(4000, 2.0, 9), noise(4000, 2.0, 10));
    std::vector<float> outL(in.size()), outR(in.size());
    p.setDriveGain(4.0);
    p.reset();
    p.process(in.l.data(), in.l.data(), outL.data(), outR.data(), static_cast<int>(in.size()));
    EXPECT_EQ(outL, outR);
    // One output buffer for both channels ends up holding the left result.
    p.reset();
    p.process(in.l.data(), in.r.data(), outL.data(), outR.data(), static_cast<int>(in.size()));
    p.reset();
    std::vector<float> shared(in.size());
    p.process(in.l.data(), in.r.data(), shared.data(), shared.data(), static_cast<int>(in.size()));
    EXPECT_EQ(shared, outL);
    EXPECT_NE(shared, outR);
}

TEST_F(Kernel, EmptyBlocksChangeNothing) {
    const auto in = stereo<float>(noise(3000, 0.9, 1), noise(3000, 0.9, 2));
    p.setDriveGain(4.0);
    p.reset();
    const auto straight = run(p, in, 1000);
    p.reset();
    StereoBuffer<float> out(in.size());
    for (int b = 0; b < 3; ++b) {
        p.process(in.l.data(), in.r.data(), out.l.data(), out.r.data(), 0);
        p.process(in.l.data() + b * 1000, in.r.data() + b * 1000, out.l.data() + b * 1000, out.r.data() + b * 1000,
                  1000);
    }
    EXPECT_EQ(out.l, straight.l);
}

TEST_F(Kernel, ChangingTheTransientShapeResetsAndAnUnchangedOneDoesNot) {
    const auto in = stereo<float>(noise(1000, 0.5, 1), noise(1000, 0.5, 2));
    run(p, in);
    EXPECT_FALSE(p.setTransientShape(0));
    EXPECT_NE(peakOf(run(p, in).l), 0.0);  // the previous block's audio is still in the delay
    EXPECT_TRUE(p.setTransientShape(2));
    const auto after = run(p, in);
    EXPECT_EQ(peakOf(std::vector<float>(after.l.begin(), after.l.begin() + 159)), 0.0);
}

TEST_F(Kernel, SixteenBitOutputSitsOnTheGridAndSilenceDithersToTwoValues) {
    p.setQuantize(true);
    p.setBits(1);
    p.reset();
    const auto music = run(p, stereo<double>(noise(5000, 0.5, 4), sine(5000, 0.02, 0.7)));
    for (std::size_t i = 0; i < music.size(); ++i) {
        const double steps = music.l[i] * 32768.0;
        ASSERT_EQ(steps, std::floor(steps)) << i;
    }
    p.reset();
    const auto silence = run(p, StereoBuffer<double>(20000));
    std::set<double> values(silence.l.begin(), silence.l.end());
    values.insert(silence.r.begin(), silence.r.end());
    EXPECT_EQ(values, (std::set<double>{-1.0 / 32768.0, 0.0}));
}

TEST_F(Kernel, DitherRepeatsAfterEveryReset) {
    p.setQuantize(true);
    p.setBits(0);
    p.setNoiseShape(3);
    const auto in = stereo<float>(noise(3000, 0.2, 4), noise(3000, 0.2, 5));
    p.reset();
    const auto first = run(p, in);
    const auto continued = run(p, in);
    p.reset();
    const auto again = run(p, in);
    EXPECT_EQ(first.l, again.l);
    EXPECT_EQ(first.r, again.r);
    EXPECT_NE(first.l, continued.l);
}

TEST_F(Kernel, AutoblackFadesDitherToTrueSilenceAndReturnsAtOnce) {
    p.setQuantize(true);
    p.setBits(0);
    p.setAutoblack(true);
    p.reset();
    StereoBuffer<double> in(3 * 44100);
    for (std::size_t i = 0; i < 2000; ++i) in.l[i] = 0.5 * std::sin(0.05 * static_cast<double>(i));
    in.l[2 * 44100] = 0.5;
    const auto out = run(p, in);
    EXPECT_NE(peakOf(std::vector<double>(out.l.begin() + 2200, out.l.begin() + 2400)), 0.0);  // dither decays
    EXPECT_EQ(peakOf(std::vector<double>(out.l.begin() + 60000, out.l.begin() + 2 * 44100 + 159)), 0.0);
    EXPECT_NEAR(out.l[2 * 44100 + 159], 0.5, 1.0 / 128);  // full output at the first signal
}

TEST_F(Kernel, NoiseShapingSetsFollowTheRateAndStayAtRatesWithoutSets) {
    p.setQuantize(true);
    const auto in = stereo<double>(noise(4000, 0.4, 1), noise(4000, 0.4, 2));
    auto render = [&](double firstRate, int shape, double rate) {
        p.setNoiseShape(0);
        p.setSampleRate(firstRate);
        p.setNoiseShape(shape);
        run(p, StereoBuffer<double>(1));  // the shape takes effect at the next block
        p.setSampleRate(rate);
        return run(p, in).l;
    };
    const auto unshaped = render(32000, 0, 32000);
    EXPECT_EQ(render(32000, 2, 32000), unshaped);           // chosen at 32 kHz: no set there
    EXPECT_NE(render(44100, 2, 32000), unshaped);           // chosen at 44.1 kHz: its set stays
    for (double rate : {44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0}) {
        const auto a = render(rate, 1, rate), b = render(rate, 2, rate), c = render(rate, 3, rate);
        const auto none = render(rate, 0, rate);
        EXPECT_NE(a, none) << rate;
        EXPECT_NE(a, b) << rate;
        EXPECT_NE(b, c) << rate;
    }
}

TEST_F(Kernel, MetersReadAFullScaleSineAtZeroDecibels) {
    run(p, stereo<double>(sine(88200, 0.25, 1.0, std::numbers::pi / 2), sine(88200, 0.25, 0.5, std::numbers::pi / 2)));
    float m[10];
    p.getMeterValues(m);
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[1], 0.5f);
    EXPECT_NEAR(m[4], 1.0f, 1e-4);
    EXPECT_NEAR(m[5], 0.5f, 1e-4);
    EXPECT_NEAR(m[6], 1.0f, 1e-4);
    EXPECT_EQ(m[8], 1.0f);
    float again[10];
    p.getMeterValues(again);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(again[i], m[i]);
}

TEST_F(Kernel, MeterHoldsRestartAfterEachRead) {
    p.setDriveGain(4.0);
    p.setReleaseMs(1.0);
    p.reset();
    run(p, stereo<double>(sine(4000, 0.01, 1.0), sine(4000, 0.01, 1.0)));
    float m[10];
    p.getMeterValues(m);
    EXPECT_GT(m[0], 3.9f);  // the input meters apply the drive gain
    EXPECT_LT(m[8], 0.3f);
    run(p, StereoBuffer<double>(5000));  // silence after the read: only the delayed tail is held
    p.getMeterValues(m);
    EXPECT_GT(m[0], 3.9f);
    run(p, StereoBuffer<double>(200));
    p.getMeterValues(m);
    EXPECT_EQ(m[0], 0.0f);
    EXPECT_EQ(m[2], 0.0f);
    EXPECT_EQ(m[8], 1.0f);
    EXPECT_GT(m[4], 0.1f);  // the mean squares are not restarted, they decay
}

TEST_F(Kernel, GainMetersShowOnlyTheSharesAttShowSelects) {
    p.setDriveGain(4.0);
    p.setLeveller(0.5, false);
    const auto in = stereo<double>(sine(20000, 0.01, 1.0), sine(20000, 0.01, 1.0));
    auto gainFor = [&](int mask) {
        p.setAttShow(mask);
        p.reset();
        run(p, in);
        float m[10];
        p.getMeterValues(m);
        return m[8];
    };
    EXPECT_EQ(gainFor(0), 1.0f);
    const float followers = gainFor(1), envelope = gainFor(2), leveller = gainFor(4), all = gainFor(7);
    EXPECT_LT(followers, 1.0f);
    EXPECT_LT(leveller, 1.0f);
    EXPECT_LE(envelope, 1.0f);
    EXPECT_LE(all, std::min({followers, leveller}));
}

TEST_F(Kernel, OutputMeterOversamplingCatchesInterSamplePeaks) {
    const auto s = sine(10000, 0.25, 0.99, std::numbers::pi / 4);  // samples at ±0.7, true peak 0.99
    float m[10];
    run(p, stereo<double>(s, s));
    p.getMeterValues(m);
    EXPECT_NEAR(m[2], 0.7071f * 0.99f, 1e-3);
    p.setMeterOversample(true);
    p.reset();
    run(p, stereo<double>(s, s));
    p.getMeterValues(m);  // holds the ringing of the sine's abrupt start
    run(p, stereo<double>(s, s));
    p.getMeterValues(m);
    EXPECT_NEAR(m[2], 0.99f, 3e-3);
}

TEST_F(Kernel, CalibrationNoiseSitsAtTheKSystemLevels) {
    p.setCalibrate(2);
    const double expected[] = {0.2511886, 0.2, 0.1};
    for (int scale = 0; scale < 3; ++scale) {
        p.setScale(scale);
        p.reset();
        const auto out = run(p, stereo<float>(noise(4 * 44100, 1.0, 1), noise(4 * 44100, 1.0, 2)));
        float m[10];
        p.getMeterValues(m);
        for (int level : {4, 5, 6, 7}) EXPECT_NEAR(m[level], expected[scale], 0.12 * expected[scale]) << scale;
        EXPECT_EQ(m[0], m[2]);  // input meters show the noise as well
        EXPECT_LE(peakOf(out.l), 0.93 * expected[scale] / 0.2511886);
        double lr = 0.0, ll = 0.0, rr = 0.0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            lr += out.l[i] * out.r[i];
            ll += out.l[i] * out.l[i];
            rr += out.r[i] * out.r[i];
        }
        EXPECT_LT(std::fabs(lr) / std::sqrt(ll * rr), 0.05);
    }
}

TEST_F(Kernel, OneSidedCalibrationLeavesTheOtherChannelExactlySilent) {
    for (int mode : {1, 3}) {
        p.setCalibrate(mode);
        p.reset();
        const auto out = run(p, stereo<float>(noise(20000, 1.0, 1), noise(20000, 1.0, 2)));
        const auto& silent = mode == 1 ? out.r : out.l;
        const auto& loud = mode == 1 ? out.l : out.r;
        EXPECT_EQ(peakOf(silent), 0.0);
        EXPECT_GT(peakOf(loud), 0.05);
        float m[10];
        p.getMeterValues(m);
        const int quiet = mode == 1 ? 1 : 0;
        for (int i : {0, 2, 4, 6}) EXPECT_EQ(m[i + quiet], 0.0f) << mode;
    }
}

TEST_F(Kernel, CalibrationIsTheSameNoiseInBothEntriesAndLeavesTheLimiterStateAlone) {
    const auto music = stereo<float>(noise(3000, 0.5, 1), noise(3000, 0.5, 2));
    p.setCalibrate(2);
    p.reset();
    const auto narrow = run(p, music);
    p.reset();
    StereoBuffer<double> wideIn(music.size());
    const auto wide = run(p, wideIn);
    for (std::size_t i = 0; i < wide.size(); ++i) ASSERT_EQ(static_cast<float>(wide.l[i]), narrow.l[i]);

    // Switching calibration in and out continues the limiter where it stopped.
    p.setCalibrate(0);
    p.reset();
    const auto first = run(p, music);
    p.setCalibrate(1);
    run(p, music);
    p.setCalibrate(0);
    const auto resumed = run(p, music);
    p.reset();
    run(p, music);
    const auto straight = run(p, music);
    EXPECT_EQ(resumed.l, straight.l);
    EXPECT_NE(first.l, straight.l);
}
