// Choosing the output's container and encoding, and putting samples on the file's grid.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cli/audio_format.h"
#include "cli/cli_error.h"
#include "cli/output_quantizer.h"

namespace zarpacli {
namespace {

AudioInfo input(int bits, bool isFloat, int sampleRate = 48000) {
    AudioInfo i;
    i.bits = bits;
    i.isFloat = isFloat;
    i.sampleRate = sampleRate;
    return i;
}

TEST(OutputFormat, KeepsTheInputWordLengthWhereTheContainerHoldsIt) {
    EXPECT_EQ(chooseOutputFormat("o.wav", "", "", input(16, false)).encoding, Encoding::Pcm16);
    EXPECT_EQ(chooseOutputFormat("o.wav", "", "", input(24, false)).encoding, Encoding::Pcm24);
    EXPECT_EQ(chooseOutputFormat("o.wav", "", "", input(32, true)).encoding, Encoding::Float32);
    EXPECT_EQ(chooseOutputFormat("o.wav", "", "", input(8, false)).encoding, Encoding::Pcm16);
    EXPECT_EQ(chooseOutputFormat("o.wav", "", "", input(0, false)).encoding, Encoding::Pcm24);  // lossy input
    EXPECT_EQ(chooseOutputFormat("O.WAV", "", "32", input(16, false)).encoding, Encoding::Float32);
}

std::string refused(const std::string& path, const std::string& format, const std::string& bits,
                    int sampleRate = 48000) {
    try {
        chooseOutputFormat(path, format, bits, input(16, false, sampleRate));
    } catch (const CliError& e) {
        EXPECT_EQ(e.exitCode(), kExitUsage);
        return e.what();
    }
    return "";
}

TEST(OutputFormat, RefusesNamesAndDepthsItDoesNotKnow) {
    EXPECT_NE(refused("out.m4a", "", "").find("cannot tell the output format"), std::string::npos);
    EXPECT_NE(refused("out", "", "").find("cannot tell"), std::string::npos);
    EXPECT_NE(refused("o.wav", "mp4", "").find("unknown format"), std::string::npos);
    EXPECT_NE(refused("o.wav", "", "20").find("unknown bit depth"), std::string::npos);
}

#if defined(_WIN32)
TEST(OutputFormat, TheWindowsBuildWritesWavOnly) {
    EXPECT_NE(refused("o.flac", "", "").find("writes WAV only, not FLAC"), std::string::npos);
    EXPECT_NE(refused("o.opus", "", "").find("writes WAV only, not Ogg Opus"), std::string::npos);
    EXPECT_NE(refused("o.wav", "mp3", "").find("writes WAV only, not MPEG Layer III"), std::string::npos);
    EXPECT_EQ(chooseOutputFormat("noext", "wav", "24", input(16, false)).encoding, Encoding::Pcm24);
}
#else
TEST(OutputFormat, ContainersFollowTheExtensionOrFormatOptionAndHoldOnlyTheirEncodings) {
    EXPECT_EQ(chooseOutputFormat("x.aif", "", "", input(16, false)).container, Container::Aiff);
    EXPECT_EQ(chooseOutputFormat("noext", "flac", "16", input(24, false)).container, Container::Flac);
    EXPECT_EQ(chooseOutputFormat("o.flac", "", "", input(32, true)).encoding, Encoding::Pcm24);
    EXPECT_EQ(chooseOutputFormat("o.ogg", "", "", input(16, false)).encoding, Encoding::Vorbis);
    EXPECT_NE(refused("o.flac", "", "32").find("FLAC cannot hold 32-bit float"), std::string::npos);
    EXPECT_NE(refused("o.ogg", "", "16").find("no bit depth"), std::string::npos);
}

TEST(OutputFormat, OpusAndMp3AreLossyAndOpusTakesOnlyItsOwnRates) {
    const OutputFormat opus = chooseOutputFormat("o.OPUS", "", "", input(24, false));
    EXPECT_EQ(opus.container, Container::Opus);
    EXPECT_EQ(opus.encoding, Encoding::Opus);
    const OutputFormat mp3 = chooseOutputFormat("o.wav", "mp3", "", input(32, true, 44100));
    EXPECT_EQ(mp3.container, Container::Mp3);
    EXPECT_EQ(mp3.encoding, Encoding::Mp3);
    EXPECT_TRUE(isLossy(Encoding::Opus) && isLossy(Encoding::Mp3) && isLossy(Encoding::Vorbis));
    EXPECT_FALSE(isLossy(Encoding::Pcm24) || isLossy(Encoding::Float32));
    EXPECT_TRUE(OutputQuantizer(Encoding::Mp3).isLossy());

    for (int rate : {8000, 12000, 16000, 24000, 48000})
        EXPECT_EQ(chooseOutputFormat("o.opus", "", "", input(16, false, rate)).encoding, Encoding::Opus) << rate;
    for (int rate : {11025, 22050, 32000, 44100, 88200, 96000}) {
        const std::string why = refused("o.opus", "", "", rate);
        EXPECT_NE(why.find("8000, 12000, 16000, 24000 or 48000 Hz"), std::string::npos) << why;
        EXPECT_NE(why.find(std::to_string(rate) + " Hz"), std::string::npos) << why;
    }
    EXPECT_NE(refused("o.opus", "", "24").find("Ogg Opus has no bit depth"), std::string::npos);
    EXPECT_NE(refused("o.mp3", "", "16").find("MPEG Layer III has no bit depth"), std::string::npos);
    EXPECT_NE(refused("o.opus", "", "", 44100).find("resample"), std::string::npos);
}
#endif

TEST(OutputQuantizer, GridValuesPassExactlyAndCountNothing) {
    OutputQuantizer q16(Encoding::Pcm16);
    for (int k : {-32768, -1, 0, 1, 12345, 32767}) EXPECT_EQ(q16.apply(k / 32768.0), k / 32768.0);
    OutputQuantizer q24(Encoding::Pcm24);
    EXPECT_EQ(q24.apply(-8388608 / 8388608.0), -1.0);
    EXPECT_EQ(q24.apply(1234567 / 8388608.0), 1234567 / 8388608.0);
    EXPECT_EQ(q16.roundedSamples() + q16.clippedSamples() + q24.roundedSamples() + q24.clippedSamples(), 0);
}

TEST(OutputQuantizer, RoundsOffGridValuesToTheNearestStepAndCountsThem) {
    OutputQuantizer q(Encoding::Pcm16);
    EXPECT_EQ(q.apply(100.4 / 32768.0), 100 / 32768.0);
    EXPECT_EQ(q.apply(-100.6 / 32768.0), -101 / 32768.0);
    EXPECT_EQ(q.roundedSamples(), 2);
    EXPECT_EQ(q.clippedSamples(), 0);
}

TEST(OutputQuantizer, FullScaleAndBeyondAreLimitedToTheLargestWordAndCounted) {
    OutputQuantizer q(Encoding::Pcm16);
    EXPECT_EQ(q.apply(1.0), 32767 / 32768.0);
    EXPECT_EQ(q.apply(3.0), 32767 / 32768.0);
    EXPECT_EQ(q.apply(-1.5), -1.0);
    EXPECT_EQ(q.apply(std::numeric_limits<double>::quiet_NaN()), 0.0);
    EXPECT_EQ(q.clippedSamples(), 4);
}

TEST(OutputQuantizer, FloatFilesKeepFloatsAndCountDoublesThatNarrow) {
    OutputQuantizer q(Encoding::Float32);
    EXPECT_EQ(q.apply(0.25), 0.25);
    EXPECT_EQ(q.apply(1.5), 1.5);  // a float file may hold values beyond full scale
    EXPECT_EQ(q.roundedSamples(), 0);
    EXPECT_EQ(q.apply(0.1), static_cast<double>(0.1f));
    EXPECT_EQ(q.roundedSamples(), 1);
}

}  // namespace
}  // namespace zarpacli
