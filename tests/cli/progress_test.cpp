// The progress line: it always fits the terminal, says how long it has run and how long it has left,
// and gives up parts in a fixed order as the terminal narrows.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "cli/progress.h"

namespace zarpacli {
namespace {

TEST(Progress, TheLineFitsEveryWidthAndKeepsTheTimesLongest) {
    for (int width : {20, 30, 44, 60, 80, 120, 300}) {
        const std::string line = progressLine("rendering 12 files", 0.25, 30.0, 41.7, width);
        EXPECT_LT(static_cast<int>(line.size()), width) << line;
        EXPECT_NE(line.find(" 25%"), std::string::npos) << line;
        EXPECT_NE(line.find("1:30 left"), std::string::npos) << width << ": " << line;  // 30 s for a quarter
        if (width >= 80) {
            EXPECT_EQ(line.rfind("rendering 12 files [", 0), 0u) << line;
            EXPECT_NE(line.find("0:30 elapsed, 1:30 left  41.7x"), std::string::npos) << line;
        }
        if (width >= 120) {
            EXPECT_NE(line.find("[##########..............................]"), std::string::npos) << line;
        }
    }
    // Until a little of the work is done there is no estimate.
    EXPECT_NE(progressLine("rendering", 0.001, 2.0, 1.0, 80).find("--:-- left"), std::string::npos);
}

TEST(Progress, NothingIsDrawnWhenStandardErrorIsNotATerminal) {
    ::testing::internal::CaptureStderr();  // stderr becomes a file
    Progress progress(true, 1000, 44100);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // past the moment before the line shows
    progress.update(500);
    progress.finish();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(Progress, ClockTextsGrowHoursOnlyWhenNeeded) {
    EXPECT_EQ(clockText(0.4), "0:00");
    EXPECT_EQ(clockText(75.0), "1:15");
    EXPECT_EQ(clockText(3723.0), "1:02:03");
    EXPECT_EQ(clockText(-1.0), "--:--");
}

}  // namespace
}  // namespace zarpacli
