// Delivery from the built zarpa: settings in force from the first sample, true-peak and sample-peak
// ceilings met on the file as written, a loudness target, dither to the output word length, and renders
// that neither read nor write the user's own settings store.
#include <algorithm>
#include <cmath>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

using Delivery = EndToEnd;

double maxAbs(const Audio& a) {
    double m = 0.0;
    for (double v : a.samples) m = std::max(m, std::fabs(v));
    return m;
}

TEST_F(Delivery, SettingsAreInForceFromTheFirstSampleWhicheverWayTheyArrive) {
    writeAudio("hot.wav", hotSignal(44100, 2, 30000, 2.0), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Result set = zarpa({"render", "hot.wav", "set.wav", "--preset", "Default", "--set", "Output=-10dB",
                        "--set", "Drive=+6dB", "--bits", "32", "--quiet"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    const Audio out = readAudio("set.wav");
    const double ceiling = std::pow(10.0, -10.0 / 20.0);
    // From sample 0 on: the output glide no longer starts at the program's level.
    EXPECT_LE(maxAbs(out), ceiling * (1.0 + 1e-6));
    EXPECT_GT(maxAbs(out), ceiling * 0.9);

    ASSERT_EQ(zarpa({"params", "--preset", "Default", "--set", "Output=-10dB", "--set", "Drive=+6dB",
                     "--save-chunk", "state.bin"}).exitCode, 0);
    Result chunk = zarpa({"render", "hot.wav", "chunk.wav", "--chunk", "state.bin", "--bits", "32", "--quiet"});
    ASSERT_EQ(chunk.exitCode, 0) << chunk.err;
    EXPECT_TRUE(readBytes("chunk.wav") == readBytes("set.wav"));
}

}  // namespace
}  // namespace zarpacli::test
