// The Drive search against loudness curves of known shape, and the ceiling's option text.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "cli/delivery.h"
#include "cli/drive_search.h"

namespace zarpacli {
namespace {

// Runs the search from Drive 0 on a loudness curve; returns the passes needed, 0 when it gave up,
// -1 when it had not finished after 12.
int passesFor(const std::function<double(double)>& loudness, double target, double* found = nullptr) {
    DriveSearch search(-24.08, 24.08, 0.05);
    double x = 0.0;
    for (int pass = 1; pass <= 12; ++pass) {
        search.add(x, loudness(x) - target);
        if (search.met()) {
            if (found) *found = x;
            return pass;
        }
        const std::optional<double> next = search.next();
        if (!next) return 0;
        EXPECT_GE(*next, -24.08);
        EXPECT_LE(*next, 24.08);
        x = *next;
    }
    return -1;
}

// Loudness that follows Drive one to one below the limiter's threshold and ever more slowly above it.
double limited(double drive) { return drive < 0.0 ? -12.0 + drive : -12.0 + 6.0 * (1.0 - std::exp(-drive / 6.0)); }

TEST(DriveSearch, ReachesTargetsOnEitherSideOfTheThresholdInAFewPasses) {
    double found = 0.0;
    EXPECT_EQ(passesFor(limited, -20.0, &found), 2);  // below the threshold the first step is exact
    EXPECT_NEAR(found, -8.0, 0.06);
    for (double target : {-10.0, -8.0, -6.8}) {
        const int passes = passesFor(limited, target, &found);
        EXPECT_GE(passes, 2) << target;
        EXPECT_LE(passes, 6) << target;
        EXPECT_NEAR(limited(found), target, 0.05) << target;
    }
}

TEST(DriveSearch, GivesUpOnlyAtTheEndOfTheRange) {
    EXPECT_EQ(passesFor(limited, -5.0), 0);   // the curve never gets there
    EXPECT_EQ(passesFor(limited, -40.0), 0);  // -24 dB of Drive still leaves it too loud
    DriveSearch search(-24.08, 24.08, 0.05);
    search.add(10.0, -3.0);
    EXPECT_TRUE(search.next().has_value());  // not yet at the end
    search.add(24.08, -0.5);
    EXPECT_FALSE(search.next().has_value());
}

TEST(DriveSearch, StaysInsideTheBracketWhenTheCurveMisleadsTheSecant) {
    DriveSearch search(-24.08, 24.08, 0.05);
    search.add(0.0, -2.0);
    search.add(4.0, 1.0);
    search.add(3.9, 0.99);  // nearly flat between the last two: a secant step would leave the bracket
    const std::optional<double> next = search.next();
    ASSERT_TRUE(next.has_value());
    EXPECT_GT(*next, 0.0);
    EXPECT_LT(*next, 3.9);
}

TEST(Ceiling, NeedsItsUnit) {
    ASSERT_TRUE(parseCeiling("-1dBTP"));
    EXPECT_EQ(parseCeiling("-1dBTP")->decibels, -1.0);
    EXPECT_TRUE(parseCeiling("-1dBTP")->truePeak);
    ASSERT_TRUE(parseCeiling(" -0.3 dbfs"));
    EXPECT_FALSE(parseCeiling(" -0.3 dbfs")->truePeak);
    EXPECT_EQ(parseCeiling("-0.3 dbfs")->decibels, -0.3);
    for (const char* bad : {"-1", "dBTP", "-1dB", "x1dBTP", "-1 dBTPx", "nan dBTP"})
        EXPECT_FALSE(parseCeiling(bad)) << bad;
}

}  // namespace
}  // namespace zarpacli
