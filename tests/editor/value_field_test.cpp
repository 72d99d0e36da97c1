// The value fields' texts and the values typed texts give.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/value_fields.h"
#include "engine/parameters.h"

namespace zarpa {
namespace {

std::string shown(int tag, float value) {
    char text[64];
    valueFieldFormat(tag)->toText(value, text, sizeof text);
    return text;
}
float typed(int tag, const char* text) { return valueFieldFormat(tag)->toValue(text); }

TEST(ValueFields, KnobDefaultsReadAsTheirDocumentedTexts) {
    EXPECT_EQ(shown(kTransient, 0.2f), "20.0%");
    EXPECT_EQ(shown(kRelease, 0.7237f), "200.0ms");
    EXPECT_EQ(shown(kLeveller, 1.0f), "off");
    EXPECT_EQ(shown(kLink, 1.0f), "100.0%");
    EXPECT_EQ(shown(kDrive, 0.5f), "+0.00dB");
    EXPECT_EQ(shown(kOutput, 1.0f), "+0.00dB");
}

TEST(ValueFields, RangesEndWhereTheParametersEnd) {
    EXPECT_EQ(shown(kDrive, 0.0f), "-24.00dB");
    EXPECT_EQ(shown(kDrive, 1.0f), "+24.00dB");
    EXPECT_EQ(shown(kOutput, 0.0f), "-12.00dB");
    EXPECT_EQ(shown(kLeveller, 0.0f), "-12.00dB");
    EXPECT_EQ(shown(kRelease, 0.0f), "1.0ms");
    EXPECT_EQ(shown(kRelease, 1.0f), "1000.0ms");
    EXPECT_EQ(shown(kRelease, -0.5f), "1.0ms");  // a stray host value never prints nan
}

TEST(ValueFields, TypedNumbersAreLimitedToTheFieldsRange) {
    EXPECT_FLOAT_EQ(typed(kDrive, "12"), 0.75f);
    EXPECT_FLOAT_EQ(typed(kDrive, "+99"), 1.0f);
    EXPECT_FLOAT_EQ(typed(kOutput, "-6"), 0.5f);
    EXPECT_FLOAT_EQ(typed(kOutput, "3"), 1.0f);
    EXPECT_FLOAT_EQ(typed(kTransient, "-5"), 0.0f);
    EXPECT_FLOAT_EQ(typed(kTransient, "250"), 1.0f);
    EXPECT_FLOAT_EQ(typed(kLink, "37.5"), 0.375f);
    EXPECT_FLOAT_EQ(typed(kRelease, "0.1"), 0.0f);
    EXPECT_FLOAT_EQ(typed(kRelease, "1000"), 1.0f);
}

TEST(ValueFields, TypedReleaseRoundTripsThroughItsText) {
    for (const char* ms : {"1.5", "20", "200", "750"}) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%.1fms", std::atof(ms));
        EXPECT_EQ(shown(kRelease, typed(kRelease, ms)), expected) << ms;
    }
}

TEST(ValueFields, TextThatIsNotANumberReadsAsZero) {
    EXPECT_FLOAT_EQ(typed(kDrive, "loud"), 0.5f);  // 0 dB
    EXPECT_FLOAT_EQ(typed(kDrive, ""), 0.5f);
    EXPECT_FLOAT_EQ(typed(kDrive, "nan"), 0.5f);
    EXPECT_FLOAT_EQ(typed(kTransient, "abc"), 0.0f);
    EXPECT_FLOAT_EQ(typed(kDrive, "  6dB"), 0.625f);  // a unit after the number is fine
}

TEST(ValueFields, LevellerTakesOffInAnyCaseAndMinusZeroAlsoReadsOff) {
    EXPECT_FLOAT_EQ(typed(kLeveller, "OFF"), 1.0f);
    EXPECT_FLOAT_EQ(typed(kLeveller, " Off "), 1.0f);
    EXPECT_EQ(shown(kLeveller, typed(kLeveller, "-0.00")), "off");
    EXPECT_FLOAT_EQ(typed(kLeveller, "-3"), 0.75f);
    EXPECT_FLOAT_EQ(typed(kLeveller, "offset"), 1.0f);  // not "off": a non-number, 0 dB, which is off
}

TEST(ValueFields, OnlyTheSixKnobParametersHaveFields) {
    int count = 0;
    for (int tag = 0; tag < kParamCount; ++tag) count += valueFieldFormat(tag) != nullptr;
    EXPECT_EQ(count, 6);
}

}  // namespace
}  // namespace zarpa
