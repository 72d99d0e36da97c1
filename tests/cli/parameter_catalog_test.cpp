// Finding parameters by name and turning value texts into normalised values, on a probe that behaves
// like the plug-in: truncated 8-character number texts, step texts, placeholders with no display.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "cli/cli_error.h"
#include "cli/parameter_catalog.h"

namespace zarpacli {
namespace {

// Eight characters, digits truncated, as the plug-in prints numbers.
std::string numberText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9f", v);
    std::string s = buf;
    return s.substr(0, 8);
}

class FakeProbe : public ParameterProbe {
public:
    int count() override { return 7; }
    std::string name(int i) override {
        static const char* names[] = {"Drive", "L/R Link", "Bits", "AttShow", "dummy", "dummy", "Leveller"};
        return names[i];
    }
    std::string label(int i) override { return i == 0 || i == 6 ? "dB" : ""; }
    std::string displayAt(int i, float x) override {
        ++calls;
        switch (i) {
            case 0: return numberText(20.0 * std::log10(std::pow(2.0, 8.0 * (x - 0.5))));  // ±24.08 dB
            case 1: return numberText(100.0 * (1.0 - x));  // a display that falls as the value rises
            case 2: {
                static const char* bits[] = {"8", "16", "24"};
                return bits[std::min(2, static_cast<int>(3.0f * x))];
            }
            case 3: {
                static const char* masks[] = {"", "1", "2", "12", "L", "1L", "2L", "12L"};
                return masks[std::min(7, static_cast<int>(8.0f * x))];
            }
            case 6: return x <= 0.0f ? "-oo" : numberText(40.0 * std::log10(x));  // -oo .. 0 dB
            default: return "";
        }
    }
    int calls = 0;
};

std::string usageMessage(ParameterCatalog& c, int index, const std::string& text) {
    try {
        c.resolve(index, text);
    } catch (const CliError& e) {
        EXPECT_EQ(e.exitCode(), kExitUsage);
        return e.what();
    }
    return "";
}

TEST(ParameterTexts, DisplayNumbersAndUserQuantitiesParse) {
    EXPECT_EQ(parseDisplayNumber("-6.02060"), -6.0206);
    EXPECT_EQ(parseDisplayNumber(" 100.0000"), 100.0);
    EXPECT_TRUE(std::isinf(*parseDisplayNumber("-oo")));
    EXPECT_FALSE(parseDisplayNumber("hard"));
    EXPECT_FALSE(parseDisplayNumber("12L"));
    auto q = parseQuantity("+6dB");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->value, 6.0);
    EXPECT_EQ(q->unit, "dB");
    EXPECT_EQ(parseQuantity("-0.5 ms")->value, -0.5);
    EXPECT_EQ(parseQuantity("-0.5 ms")->unit, "ms");
    EXPECT_TRUE(std::isinf(parseQuantity("-oo")->value));
    EXPECT_FALSE(parseQuantity("--6dB"));
    EXPECT_FALSE(parseQuantity("-inf"));
    EXPECT_FALSE(parseQuantity("nan"));
    EXPECT_FALSE(parseQuantity("type B"));
}

TEST(ParameterCatalog, ProbingTellsStepsFromContinuousDisplays) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    EXPECT_EQ(c.info(0).kind, ParameterKind::Continuous);
    EXPECT_NEAR(c.info(0).low, -24.0823, 1e-4);
    EXPECT_EQ(c.info(2).kind, ParameterKind::Stepped);
    EXPECT_EQ(c.info(2).steps, (std::vector<std::string>{"8", "16", "24"}));
    EXPECT_EQ(c.info(3).steps.size(), 8u);
    EXPECT_EQ(c.info(3).steps[0], "");
    EXPECT_EQ(c.info(4).kind, ParameterKind::NormalisedOnly);
}

TEST(ParameterCatalog, FindsNamesWhateverTheCaseSpacesAndPunctuation) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    EXPECT_EQ(c.find("drive"), 0);
    EXPECT_EQ(c.find("LR-link"), 1);
    EXPECT_EQ(c.find("l/r link"), 1);
    EXPECT_EQ(c.find("5"), 5);
}

TEST(ParameterCatalog, UnknownAndAmbiguousNamesAreUsageErrorsThatSayWhatExists) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    auto message = [&](const std::string& key) {
        try {
            c.find(key);
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitUsage);
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(message("Drvie").find("Drive, L/R Link, Bits, AttShow, dummy, dummy"), std::string::npos);
    EXPECT_NE(message("dummy").find("4, 5; give the index"), std::string::npos);
    EXPECT_NE(message("7").find("no parameter 7"), std::string::npos);
    EXPECT_NE(message("").find("unknown parameter"), std::string::npos);
}

TEST(ParameterCatalog, StepTextsSelectTheCentreOfTheirStep) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    EXPECT_EQ(c.resolve(2, "24"), stepToValue(2, 3));
    EXPECT_EQ(c.resolve(2, "8"), stepToValue(0, 3));
    EXPECT_EQ(c.resolve(3, "12l"), stepToValue(7, 8));
    EXPECT_EQ(c.resolve(3, "1"), stepToValue(1, 8));  // the text wins over the normalised reading of "1"
    EXPECT_EQ(c.resolve(3, ""), stepToValue(0, 8));   // the empty text is step 0
    EXPECT_EQ(c.resolve(2, "\"16\""), stepToValue(1, 3));
    EXPECT_EQ(c.resolve(2, "0.9"), 0.9f);  // no step reads 0.9: a normalised value
}

TEST(ParameterCatalog, DisplayValuesFindTheValueThePluginShowsThatWay) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    for (double db : {6.0, -3.5, 0.0, 12.25, -24.0}) {
        const float x = c.resolve(0, std::to_string(db) + "dB");
        EXPECT_NEAR(*parseDisplayNumber(probe.displayAt(0, x)), db, 2e-5) << db;
    }
    EXPECT_EQ(c.resolve(0, "+24.0824dB"), 1.0f);  // the end of the range, within the display's precision
    EXPECT_EQ(c.resolve(0, "-24.0824 DB"), 0.0f);
}

TEST(ParameterCatalog, UnitlessParametersTakeDisplayValuesWithPercent) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    EXPECT_NEAR(c.resolve(1, "25%"), 0.75f, 1e-6);  // falling display: 25 at 0.75
    EXPECT_EQ(c.resolve(1, "0.5"), 0.5f);  // a bare number is a normalised value
    EXPECT_NE(usageMessage(c, 1, "1.5").find("a bare number is a normalised value (0..1); for display units write 1.5%"),
              std::string::npos);
    EXPECT_NE(c.accepted(1).find("0 .. 100 %"), std::string::npos) << c.accepted(1);
}

TEST(ParameterCatalog, OnlyNumbersAsTheHelpDescribesThemAreValues) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    for (const char* text : {"inf", "+inf", "infdB", "oodB", "+oodB", "nan", "nandB", "--6dB", "+-6dB", "-+6dB", "- 6dB"})
        EXPECT_FALSE(usageMessage(c, 0, text).empty()) << text;
    EXPECT_FALSE(usageMessage(c, 1, "inf").empty());
    EXPECT_FALSE(usageMessage(c, 1, "-oo%").empty()) << "an infinity only where the display shows one";
    EXPECT_FALSE(usageMessage(c, 6, "+oodB").empty());
    EXPECT_EQ(c.resolve(6, "-oo"), 0.0f);  // the leveller's own end, with or without its unit
    EXPECT_EQ(c.resolve(6, "-oodB"), 0.0f);
    EXPECT_EQ(c.resolve(6, "0dB"), 1.0f);
    EXPECT_FALSE(usageMessage(c, 6, "-oo%").empty());
}

TEST(ParameterCatalog, RefusesValuesOutsideTheRangeOrInTheWrongUnit) {
    FakeProbe probe;
    ParameterCatalog c(probe);
    EXPECT_NE(usageMessage(c, 0, "+30dB").find("out of range; Drive takes -24.0823 .. 24.0824 dB"), std::string::npos);
    EXPECT_NE(usageMessage(c, 0, "6").find("for display units write 6dB"), std::string::npos);
    EXPECT_NE(usageMessage(c, 0, "6ms").find("unit 'ms' does not fit"), std::string::npos);
    EXPECT_NE(usageMessage(c, 0, "loud").find("not a number"), std::string::npos);
    EXPECT_NE(usageMessage(c, 1, "150%").find("out of range"), std::string::npos);
    EXPECT_NE(usageMessage(c, 2, "12").find("Bits takes 8, 16, 24"), std::string::npos);
    EXPECT_NE(usageMessage(c, 2, "type B").find("no such setting"), std::string::npos);
    EXPECT_NE(usageMessage(c, 4, "2").find("dummy takes a normalised value 0..1"), std::string::npos);
    EXPECT_NE(usageMessage(c, 4, "-0.1").find("out of range"), std::string::npos);
}

}  // namespace
}  // namespace zarpacli
