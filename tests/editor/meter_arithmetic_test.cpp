// Meter geometry, display ballistics, meter mode and readout texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "editor/host_signal_watch.h"
#include "editor/meter_ballistics.h"
#include "editor/metering_rules.h"
#include "engine/parameters.h"

namespace zarpa {
namespace {

std::string peakText(float maxDb, int mode) {
    char text[32];
    peakReadoutText(maxDb, readoutOffsetDb(mode), text, sizeof text);
    return text;
}

TEST(LevelBar, SixPixelsPerDecibelAboveTheFloorLimitedToTheBar) {
    EXPECT_EQ(levelBarHeight(0.0f, -48.0f), 288);  // 0 dBFS in peak mode: top at y 402 - 288 = 114
    EXPECT_EQ(levelBarHeight(20.0f, -48.0f), 360);
    EXPECT_EQ(levelBarHeight(-48.0f, -48.0f), 0);
    EXPECT_EQ(levelBarHeight(-120.0f, -60.0f), 0);
    EXPECT_EQ(levelBarHeight(-0.05f, -60.0f), 360);  // 359.7 rounds to the full bar
    EXPECT_EQ(levelBarHeight(-0.1f, -60.0f), 359);
    EXPECT_EQ(levelBarHeight(std::numeric_limits<float>::infinity(), -60.0f), 360);
    EXPECT_EQ(levelBarHeight(std::nanf(""), -60.0f), 0);
}

TEST(LevelBar, PeakDecibelsUseTheMicroFloor) {
    EXPECT_FLOAT_EQ(amplitudeToDb(0.0, 0.000001), -120.0f);
    EXPECT_FLOAT_EQ(amplitudeToDb(std::nan(""), 0.000001), -120.0f);
    EXPECT_FLOAT_EQ(amplitudeToDb(0.5, 0.000001), static_cast<float>(20 * std::log10(0.5)));
}

TEST(GainBar, LengthFollowsTheZoomAndIgnoresTinyReductions) {
    const float halfGainDb = amplitudeToDb(0.5, 0.0);  // -6.02 dB
    EXPECT_EQ(gainBarLength(halfGainDb, false), 37);
    EXPECT_EQ(gainBarLength(halfGainDb, true), 73);
    EXPECT_EQ(gainBarLength(-0.05f, false), 0);
    EXPECT_EQ(gainBarLength(0.0f, true), 0);
    EXPECT_EQ(gainBarLength(-24.0f, false), 145);
    EXPECT_EQ(gainBarLength(-12.0f, true), 145);
    EXPECT_EQ(gainBarLength(-30.0f, true), 145);
    EXPECT_EQ(gainBarLength(-std::numeric_limits<float>::infinity(), false), 145);
}

TEST(PeakBallistics, HoldsFiftyMillisecondsThenFallsAtEightPointSixSixDbPerSecond) {
    PeakHoldFall side(-122.0f);
    side.step(40, -6.0f);
    EXPECT_FLOAT_EQ(side.displayedDb(), -6.0f);
    side.step(40, -120.0f);  // silence: still held
    EXPECT_EQ(side.holdMs(), 10);
    EXPECT_FLOAT_EQ(side.displayedDb(), -6.0f);
    side.step(40, -120.0f);  // 30 ms past the hold
    EXPECT_EQ(side.holdMs(), 0);
    EXPECT_NEAR(side.displayedDb(), -6.0f - 0.2598f, 1e-5);
    side.step(1000, -120.0f);
    EXPECT_NEAR(side.displayedDb(), -6.0f - 0.2598f - 8.66f, 1e-4);
}

TEST(PeakBallistics, AHigherPeakRestartsTheHoldAndTheDisplayNeverSinksBelowTheFloor) {
    PeakHoldFall side(-121.0f);
    side.step(100000, -120.0f);
    EXPECT_FLOAT_EQ(side.displayedDb(), -120.0f);
    side.step(100000, -130.0f);
    EXPECT_FLOAT_EQ(side.displayedDb(), kDisplayFloorDb);
    side.step(10, -3.0f);
    EXPECT_EQ(side.holdMs(), 50);
    side.reset();
    EXPECT_FLOAT_EQ(side.displayedDb(), kDisplayFloorDb);
    EXPECT_EQ(side.holdMs(), 50);  // a reset leaves the hold counter
}

TEST(GainBallistics, HoldsTheDeepestReductionThenReleasesThirtyDbPerSecond) {
    GainHoldRelease side;
    side.step(40, -12.0f);  // the 10 ms start hold runs out, the reduction takes over
    EXPECT_FLOAT_EQ(side.displayedDb(), -12.0f);
    EXPECT_EQ(side.holdMs(), 50);
    side.step(40, 0.0f);
    EXPECT_FLOAT_EQ(side.displayedDb(), -12.0f);
    side.step(110, 0.0f);  // 100 ms past the hold: 3 dB back
    EXPECT_NEAR(side.displayedDb(), -9.0f, 1e-5);
    side.step(1000, 0.0f);  // beyond 0 dB the current value takes over again
    EXPECT_FLOAT_EQ(side.displayedDb(), 0.0f);
}

TEST(Ticks, ElapsedTimeSurvivesTheWrapAndNeverRunsBackwards) {
    EXPECT_EQ(elapsedMs(40, 0), 40);
    EXPECT_EQ(elapsedMs(15, 0xFFFFFFF0u), 31);
    // The first tick after construction in the counter's upper half: no time, not a hold of 24 days.
    EXPECT_EQ(elapsedMs(0x90000000u, 0), 0);
    PeakHoldFall side(-122.0f);
    side.step(elapsedMs(0x90000000u, 0), -6.0f);
    side.step(elapsedMs(0x90000000u + 1050, 0x90000000u), -120.0f);
    EXPECT_NEAR(side.displayedDb(), -6.0f - 8.66f, 1e-4);
}

TEST(MeterMode, PeakUnlessKSystemThenTheScalePicksTheReference) {
    EXPECT_EQ(meterModeOf(stepToValue(0, 2), 0.5f), kPeakMode);
    EXPECT_EQ(meterModeOf(stepToValue(1, 2), 0.5f), kK14Mode);
    EXPECT_EQ(meterModeOf(1.0f, 0.0f), kK12Mode);
    EXPECT_EQ(meterModeOf(1.0f, 1.0f), kK20Mode);
}

TEST(AttShow, ButtonBitsSetAndClearSingleBitsOfTheStepOfEight) {
    const float bitsOneAndFour = stepToValue(5, 8);
    EXPECT_EQ(valueToStep(attShowWithBit(bitsOneAndFour, attShowBitOfTag(29), true), 8), 7);
    EXPECT_EQ(valueToStep(attShowWithBit(bitsOneAndFour, attShowBitOfTag(28), false), 8), 4);
    EXPECT_EQ(valueToStep(attShowWithBit(bitsOneAndFour, attShowBitOfTag(30), true), 8), 5);
    EXPECT_EQ(attShowBitOfTag(27), 0);
}

TEST(Readouts, PeakTextsCarryTheKSystemOffsetAndShowMinusInfinityBelowMinusHundred) {
    EXPECT_EQ(peakText(-14.0f, kK14Mode), "+0.0");
    EXPECT_EQ(peakText(0.5f, kK14Mode), "+14.5");
    EXPECT_EQ(peakText(-110.0f, kPeakMode), "-oo");
    EXPECT_EQ(peakText(-110.0f, kK20Mode), "-90.0");
    EXPECT_EQ(peakText(-120.0f, kK20Mode), "-oo");  // the start value reads -oo in every mode
    EXPECT_EQ(peakText(std::numeric_limits<float>::infinity(), kPeakMode), "+inf");
    char text[32];
    gainReadoutText(-6.02f, text, sizeof text);
    EXPECT_STREQ(text, "-6.0");
    gainReadoutText(0.0f, text, sizeof text);
    EXPECT_STREQ(text, "0.0");
}

TEST(Readouts, TextsAreCentredInTheirThirtyPixelField) {
    EXPECT_EQ(readoutTextX(133, "-oo"), 139);
    EXPECT_EQ(readoutTextX(133, "+14.5"), 133);
    EXPECT_EQ(readoutTextX(133, "-100.0"), 130);  // may start left of the field
}

TEST(HostSignalWatch, StopsOnceAfterTheQuietTimeAcrossTheTickWrapAndFlowsAgainWithABlock) {
    using Signal = HostSignalWatch::Signal;
    HostSignalWatch watch;
    const std::uint32_t start = 0xFFFFFF00u;  // the quiet time spans the wrap of the tick
    watch.restart(start, 7);
    EXPECT_EQ(watch.update(start + 399, 7), Signal::kFlowing);
    EXPECT_EQ(watch.update(start + 400, 7), Signal::kJustStopped);
    EXPECT_EQ(watch.update(start + 440, 7), Signal::kStopped);
    EXPECT_EQ(watch.update(start + 480, 8), Signal::kFlowing);
    EXPECT_EQ(watch.update(start + 870, 8), Signal::kFlowing) << "the quiet time restarts at the block";
    EXPECT_EQ(watch.update(start + 880, 8), Signal::kJustStopped);
}

}  // namespace
}  // namespace zarpa
