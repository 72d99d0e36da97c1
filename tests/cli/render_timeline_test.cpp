// The render timeline's gain reduction against outputs of known gain, its short-window loudness against
// the integrated loudness of a steady tone, and the static gain read from parameter displays.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <vector>

#include "cli/render_timeline.h"
#include "cli/static_gain.h"

namespace zarpacli {
namespace {

std::vector<double> tone(int rate, int frames, double amplitude) {
    std::vector<double> s(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
        s[2 * i] = s[2 * i + 1] = amplitude * std::sin(2.0 * std::numbers::pi * 1000.0 * i / rate);
    return s;
}

TEST(RenderTimeline, GainReductionIsTheShortfallBelowTheStaticGainWindowByWindow) {
    const int rate = 48000, frames = rate;  // one second: 100 windows of 10 ms
    const std::vector<double> in = tone(rate, frames, 0.5);
    std::vector<double> out(in.size());
    // Static gain +6 dB; the second half is limited by a further 4 dB; the input is fed in odd pieces.
    const double g = std::pow(10.0, 6.0 / 20.0), limited = std::pow(10.0, -4.0 / 20.0);
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = in[i] * g * (i / 2 >= frames / 2u ? limited : 1.0);
    RenderTimeline t(2, rate, 6.0);
    for (std::size_t done = 0; done < static_cast<std::size_t>(frames);) {
        const std::size_t n = std::min<std::size_t>(777, frames - done);
        t.addInput(in.data() + 2 * done, n);
        done += n;
    }
    t.addOutput(out.data(), frames);
    ASSERT_EQ(t.windows().size(), 100u);
    EXPECT_NEAR(t.windows()[10].gainReductionDb, 0.0, 1e-3);
    EXPECT_NEAR(t.windows()[90].gainReductionDb, 4.0, 1e-3);
    const GainReductionFigures gr = t.summary().gainReduction;
    EXPECT_TRUE(gr.measured);
    EXPECT_NEAR(gr.largestDb, 4.0, 1e-3);
    EXPECT_NEAR(gr.averageDb, 2.0, 1e-2);
    EXPECT_NEAR(gr.limitingShare, 0.5, 1e-9);
}

TEST(RenderTimeline, QuietWindowsAndAnUnknownGainCountForNothing) {
    const int rate = 44100;
    std::vector<double> in = tone(rate, rate, 0.5);
    std::fill(in.begin(), in.begin() + rate, 0.0);  // the first half second silent
    std::vector<double> out(in.size(), 0.0);        // everything removed: the loud half is all reduction
    RenderTimeline t(2, rate, 0.0);
    t.addInput(in.data(), rate);
    t.addOutput(out.data(), rate);
    const GainReductionFigures gr = t.summary().gainReduction;
    EXPECT_NEAR(gr.limitingShare, 1.0, 1e-9);
    EXPECT_GT(gr.largestDb, 90.0);

    RenderTimeline unknown(2, rate, std::nullopt);
    unknown.addInput(in.data(), rate);
    unknown.addOutput(out.data(), rate);
    EXPECT_FALSE(unknown.summary().gainReduction.measured);
    EXPECT_EQ(unknown.summary().gainReduction.largestDb, 0.0);
}

TEST(RenderTimeline, ShortWindowLoudnessOfASteadyToneMatchesItsIntegratedLoudness) {
    const int rate = 48000;
    const std::vector<double> s = tone(rate, rate * 4, 0.1);  // 1 kHz at -20 dBFS each channel: -20 LUFS
    RenderTimeline t(2, rate, 0.0);
    t.addInput(s.data(), rate * 4);
    t.addOutput(s.data(), rate * 4);
    const TimelineSummary sum = t.summary();
    EXPECT_NEAR(sum.inputMaxMomentary, -20.0, 0.1);
    EXPECT_NEAR(sum.outputMaxShortTerm, -20.0, 0.1);
    ASSERT_EQ(t.loudness().size(), 40u);
    EXPECT_TRUE(std::isinf(t.loudness()[2].inputMomentary));  // less than 400 ms heard
    EXPECT_TRUE(std::isinf(t.loudness()[28].outputShortTerm));
    EXPECT_NEAR(t.loudness()[29].outputShortTerm, -20.0, 0.1);
}

TEST(StaticGain, DriveAndOutputAddUpUnlessAutoOutCompensatesOrTheSignalIsReplaced) {
    std::map<std::string, std::string> displays = {
        {"Power", "on"}, {"Calibrate", "off"}, {"AutoOut", "off"}, {"Drive", "6.020600"}, {"Output", "-3.00000"}};
    auto lookup = [&](const std::string& name) -> std::optional<std::string> {
        auto it = displays.find(name);
        return it == displays.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    EXPECT_NEAR(*staticGainDb(lookup), 3.0206, 1e-6);
    displays["AutoOut"] = "on";
    EXPECT_NEAR(*staticGainDb(lookup), -3.0, 1e-6);
    displays["Output"] = "-oo";
    EXPECT_FALSE(staticGainDb(lookup));
    displays["Output"] = "0.000000";
    displays["Calibrate"] = "left";
    EXPECT_FALSE(staticGainDb(lookup));
    displays["Calibrate"] = "off";
    displays["Power"] = "off";
    EXPECT_FALSE(staticGainDb(lookup));
    displays.erase("Power");
    EXPECT_FALSE(staticGainDb(lookup));
}

}  // namespace
}  // namespace zarpacli
