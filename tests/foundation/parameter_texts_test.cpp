// Step helpers, the 8-character number text, and every parameter's name, label and display text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "engine/parameters.h"

using namespace zarpa;

namespace {

std::string number(float v) {
    char out[16] = {};
    formatNumber(v, out);
    return out;
}

std::string display(int index, float x) {
    char out[16] = "untouched";
    if (!formatDisplay(index, x, out)) return "<nothing>";
    return out;
}

}  // namespace

TEST(StepHelpers, TruncateInFloatAndStayInsideTheSteps) {
    EXPECT_EQ(valueToStep(0.01f, 100), 1);  // 100 * 0.01f rounds to 1.0 in 32-bit float
    EXPECT_EQ(valueToStep(0.0099f, 100), 0);
    EXPECT_EQ(valueToStep(1.0f, 3), 2);
    EXPECT_EQ(valueToStep(0.333333f, 3), 0);
    EXPECT_EQ(valueToStep(0.34f, 3), 1);
    EXPECT_EQ(valueToStep(0.9375f, 8), 7);
    // What a misbehaving host may send never leaves 0..n-1.
    EXPECT_EQ(valueToStep(-0.5f, 4), 0);
    EXPECT_EQ(valueToStep(7.0f, 4), 3);
    EXPECT_EQ(valueToStep(std::numeric_limits<float>::quiet_NaN(), 4), 0);
    EXPECT_EQ(valueToStep(std::numeric_limits<float>::infinity(), 2), 1);
}

TEST(StepHelpers, StepCentresMapBackToTheirStep) {
    for (int n : {2, 3, 4, 8, 100})
        for (int i = 0; i < n; ++i) EXPECT_EQ(valueToStep(stepToValue(i, n), n), i) << i << "/" << n;
    EXPECT_FLOAT_EQ(stepToValue(5, 8), 0.6875f);
    EXPECT_FLOAT_EQ(stepToValue(2, 3), 5.0f / 6.0f);
}

TEST(NumberText, HasEightCharactersAndTruncatesDigits) {
    EXPECT_EQ(number(0.0f), "0.000000");
    EXPECT_EQ(number(100.0f), "100.0000");
    EXPECT_EQ(number(1000.0f), "1000.000");
    EXPECT_EQ(number(50.0f), "50.00000");
    EXPECT_EQ(number(-6.0206f), "-6.02059");  // the float is -6.0205998
    EXPECT_EQ(number(0.02f), "0.019999");     // the float is 0.019999999
    EXPECT_EQ(number(1234567.0f), "1234567.");
    // Truncated, not rounded: 24.0823994 prints as 24.08239 where a rounded print shows 24.08240.
    EXPECT_EQ(number(24.082399f), "24.08239");
    EXPECT_EQ(number(-12.0411997f), "-12.0411");
    EXPECT_EQ(number(std::numeric_limits<float>::infinity()), "Huge!");
}

TEST(ParameterTexts, NamesAndLabelsAsTheHostSeesThem) {
    const char* names[] = {"Output", "Drive", "Transient", "Release", "TransShape", "L/R Link", "Oversample",
                           "DetectorOrder", "Power", "Scale", "Bits", "NoiseShape", "Calibrate", "Leveller",
                           "MeterOvs", "AutoOut", "Quantize", "Autoblack", "MeterType", "AttZoom", "AttShow",
                           "PostMeter", "dummy", "dummy", "dummy", "resvd-vid"};
    for (int i = 0; i < kParamCount; ++i) EXPECT_STREQ(paramInfo(i).name, names[i]);
    for (int i = 0; i < kParamCount; ++i) {
        const std::string label = paramInfo(i).label;
        const bool hasLabel = i == kOutput || i == kDrive || i == kLeveller || i == kTransient || i == kRelease;
        EXPECT_EQ(!label.empty(), hasLabel) << names[i];
    }
    EXPECT_STREQ(paramInfo(kTransient).label, "ms");
    EXPECT_STREQ(paramInfo(kLeveller).label, "dB");
}

TEST(ParameterTexts, ContinuousDisplays) {
    EXPECT_EQ(display(kOutput, 1.0f), "0.000000");
    // dB texts come from 32-bit float arithmetic: 20·log10(0.25) is -12.0411998 exactly but -12.0412006
    // in float, so the truncated text ends in 2, not 1.
    EXPECT_EQ(display(kOutput, 0.0f), "-12.0412");
    EXPECT_EQ(display(kDrive, 1.0f), "24.08240");
    EXPECT_EQ(display(kDrive, 0.0f), "-24.0824");
    EXPECT_EQ(display(kLeveller, 0.5f), "-6.02060");
    EXPECT_EQ(display(kDrive, 0.5f), "0.000000");
    EXPECT_EQ(display(kRelease, 1.0f), "1000.000");
    EXPECT_EQ(display(kRelease, 0.0f), "1.000000");
    EXPECT_EQ(display(kLink, 0.5f), "50.00000");
    EXPECT_EQ(display(kLeveller, 0.0f), "-oo");
    EXPECT_EQ(display(kLeveller, 1.0f), "0.000000");
    EXPECT_EQ(display(kTransient, 1.0f), "0.500000");
    EXPECT_NEAR(std::stod(display(kRelease, 0.7237f)), 200.0, 0.5);
}

// Over the whole range each dB text is the true decibel value truncated to its eight characters, give
// or take the float rounding of the value before truncation; and both targets print the same texts
// (the hash below is the same under wine as on Linux).
TEST(ParameterTexts, DbTextsAcrossTheRangeAreTruncatedDecibelsAndAlikeOnBothTargets) {
    std::uint64_t hash = 14695981039346656037ull;
    for (int k = 0; k <= 4096; ++k) {
        const float x = static_cast<float>(k) / 4096.0f;
        const struct {
            int index;
            double gain;
        } cases[] = {{kOutput, outputGain(x)}, {kDrive, driveGain(x)}, {kLeveller, x}};
        for (const auto& c : cases) {
            const std::string text = display(c.index, x);
            for (char ch : text) hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
            if (c.gain <= 0) {
                EXPECT_EQ(text, "-oo");
                continue;
            }
            ASSERT_EQ(text.size(), 8u) << text;
            const double exact = std::fabs(20.0 * std::log10(c.gain));
            const double shown = std::fabs(std::stod(text));
            const std::size_t point = text.find('.');
            const double lastDigit = std::pow(10.0, -static_cast<double>(text.size() - 1 - point));
            // The float steps of the gain, its logarithm and the product.
            const double rounding = 4e-7 * exact + 1e-6;
            EXPECT_GT(exact - shown, -rounding) << c.index << " " << x << " " << text;
            EXPECT_LT(exact - shown, lastDigit + rounding) << c.index << " " << x << " " << text;
        }
    }
    EXPECT_EQ(hash, 10738497440908864423ull);
}

TEST(ParameterTexts, SteppedDisplays) {
    EXPECT_EQ(display(kBits, 0.0f), "8");
    EXPECT_EQ(display(kBits, 0.5f), "16");
    EXPECT_EQ(display(kBits, 1.0f), "24");
    EXPECT_EQ(display(kCalibrate, 0.6f), "l+r uncor");
    EXPECT_EQ(display(kNoiseShape, 0.625f), "type B");
    EXPECT_EQ(display(kTransShape, 0.833333f), "soft");
    EXPECT_EQ(display(kDetectorOrder, 1.0f), "II");
    EXPECT_EQ(display(kMeterType, 0.75f), "k-system");
    EXPECT_EQ(display(kAttZoom, 0.75f), "12dB");
    EXPECT_EQ(display(kPostMeter, 0.0f), "pre");
    EXPECT_EQ(display(kScale, 0.825f), "K-20");
}

TEST(ParameterTexts, AttShowSpellsItsBits) {
    EXPECT_EQ(display(kAttShow, 0.0f), "");
    EXPECT_EQ(display(kAttShow, 0.9375f), "12L");
    EXPECT_EQ(display(kAttShow, stepToValue(5, 8)), "1L");
    EXPECT_EQ(display(kAttShow, stepToValue(2, 8)), "2");
}

TEST(ParameterTexts, PlaceholdersAndMarkerWriteNothing) {
    for (int i : {kDummy1, kDummy2, kDummy3, kVersionMarker}) EXPECT_EQ(display(i, 0.5f), "<nothing>");
    EXPECT_EQ(display(26, 0.5f), "<nothing>");
    EXPECT_EQ(display(-1, 0.5f), "<nothing>");
}

TEST(ParameterMappings, CoverTheirDocumentedRanges) {
    EXPECT_DOUBLE_EQ(outputGain(0.0f), 0.25);
    EXPECT_DOUBLE_EQ(outputGain(1.0f), 1.0);
    EXPECT_DOUBLE_EQ(driveGain(0.0f), 1.0 / 16);
    EXPECT_DOUBLE_EQ(driveGain(1.0f), 16.0);
    EXPECT_NEAR(transientMix(0.2f), 0.02, 1e-8);
    EXPECT_NEAR(transientMix(1.0f), 0.5, 1e-7);
    EXPECT_DOUBLE_EQ(releaseMs(0.0f), 1.0);
    EXPECT_DOUBLE_EQ(releaseMs(1.0f), 1000.0);
    EXPECT_NEAR(releaseMs(0.61f), 100.0, 2.0);
    EXPECT_FALSE(std::isnan(releaseMs(-1.0f)));
}
