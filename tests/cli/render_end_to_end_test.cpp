// The built zarpa renders through the built plug-in: alignment and length after latency compensation,
// bit-exact passage of a quiet file, a ceiling that holds, lossless 16-bit output, mono, settings.
#include <algorithm>
#include <cmath>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

using Render = EndToEnd;

TEST_F(Render, AQuietFilePassesBitExactlyThroughDefaultTimeAlignedAndAsLong) {
    const Audio in = quietSignal(44100, 2, 20011);  // not a multiple of any block size
    writeAudio("in.wav", in);
    for (const char* entry : {"", "--double"}) {
        std::vector<std::string> args = {"render", "in.wav", "out.wav", "--preset", "Default", "--block", "300",
                                         "--force", "--quiet"};
        if (*entry) args.push_back(entry);
        Result r = zarpa(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Audio out = readAudio("out.wav");
        EXPECT_EQ(out.sampleRate, 44100);
        EXPECT_EQ(out.channels, 2);
        EXPECT_EQ(out.frames(), in.frames());
        EXPECT_TRUE(out.samples == in.samples) << "entry " << entry;
    }
}

TEST_F(Render, LatencyIsCompensatedAtEveryRateClassAndKeptOnRequest) {
    for (int rate : {48000, 96000, 192000}) {
        const Audio in = quietSignal(rate, 1, 3001);
        writeAudio("in.wav", in);
        ASSERT_EQ(zarpa({"render", "in.wav", "out.wav", "--force", "--quiet", "--block", "512"}).exitCode, 0);
        const Audio out = readAudio("out.wav");
        EXPECT_EQ(out.frames(), in.frames()) << rate;
        EXPECT_TRUE(out.samples == in.samples) << rate;
    }
    const Audio in = quietSignal(96000, 2, 1000);
    writeAudio("in.wav", in);
    Result r = zarpa({"render", "in.wav", "kept.wav", "--keep-latency", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(jsonNumberField(r.out, "latency_samples"), 287);
    const Audio kept = readAudio("kept.wav");
    ASSERT_EQ(kept.frames(), in.frames() + 287);
    EXPECT_TRUE(std::all_of(kept.samples.begin(), kept.samples.begin() + 2 * 287, [](double v) { return v == 0.0; }));
    EXPECT_TRUE(std::equal(in.samples.begin(), in.samples.end(), kept.samples.begin() + 2 * 287));
}

TEST_F(Render, AHotFileNeverLeavesFullScale) {
    const Audio in = hotSignal(44100, 2, 30000, 4.0);  // +12 dBFS peaks
    writeAudio("hot.wav", in, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    for (const char* preset : {"Default", "Total Disorder", "CD Master 3 [recon]"}) {
        Result r = zarpa({"render", "hot.wav", "out.wav", "--preset", preset, "--set", "Drive=+12dB", "--bits", "32",
                       "--force", "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_LE(maxAbs(readAudio("out.wav")), 1.0) << preset;
        EXPECT_LE(jsonNumberField(r.out, "sample_peak_dbfs", "\"output\""), 0.0) << preset;
        EXPECT_NEAR(jsonNumberField(r.out, "sample_peak_dbfs", "\"input\""), 12.04, 0.01);
    }
}

TEST_F(Render, SixteenBitOutputIsLosslessWhenTheRequantizerRunsAtSixteenBits) {
    // Off the 16-bit grid, so that plain rounding would change it.
    writeAudio("in24.wav", sineSignal(48000, 2, 24000, 441.0, 0.7), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    const std::vector<std::string> requantize = {"--set", "Quantize=on", "--set", "Bits=16", "--set", "NoiseShape=type B"};
    auto render = [&](const std::string& out, const std::string& bits) {
        std::vector<std::string> args = {"render", "in24.wav", out, "--bits", bits, "--json"};
        args.insert(args.end(), requantize.begin(), requantize.end());
        return zarpa(args);
    };
    Result r16 = render("out16.wav", "16"), rFloat = render("outf.wav", "32");
    ASSERT_EQ(r16.exitCode, 0) << r16.err;
    ASSERT_EQ(rFloat.exitCode, 0) << rFloat.err;
    EXPECT_EQ(jsonStringField(r16.out, "conversion"), "lossless");
    // The plug-in's own float output and the 16-bit file hold the same values, all on the 16-bit grid.
    const Audio a = readAudio("out16.wav"), b = readAudio("outf.wav");
    EXPECT_TRUE(a.samples == b.samples);
    EXPECT_TRUE(std::all_of(b.samples.begin(), b.samples.end(),
                            [](double v) { return v * 32768.0 == std::round(v * 32768.0); }));

    // Without the requantizer (which a 16-bit file from a 24-bit one gets by default) the same file is
    // rounded, and the report says so.
    Result plain = zarpa({"render", "in24.wav", "plain16.wav", "--bits", "16", "--no-dither", "--json"});
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_GT(jsonNumberField(plain.out, "rounded_samples"), 0);
    EXPECT_NE(plain.out.find("--set Quantize=on --set Bits=16"), std::string::npos);
}

TEST_F(Render, AMonoFileIsProcessedLikeEitherChannelOfItsDualMonoTwin) {
    const Audio mono = hotSignal(44100, 1, 12000, 1.5);
    Audio dual{44100, 2, {}};
    for (double v : mono.samples) dual.samples.insert(dual.samples.end(), {v, v});
    writeAudio("mono.wav", mono, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    writeAudio("dual.wav", dual, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    for (const char* f : {"mono", "dual"})
        ASSERT_EQ(zarpa({"render", std::string(f) + ".wav", std::string(f) + "-out.wav", "--preset", "Limiter Hard",
                         "--quiet"}).exitCode, 0);
    const Audio m = readAudio("mono-out.wav"), d = readAudio("dual-out.wav");
    ASSERT_EQ(m.channels, 1);
    ASSERT_EQ(m.frames(), d.frames());
    for (std::size_t i = 0; i < m.frames(); ++i) ASSERT_EQ(m.samples[i], d.samples[2 * i]) << i;
    EXPECT_LT(maxAbs(m), 1.0 + 1e-9);
}

TEST_F(Render, OtherContainersAreWrittenByTheirExtension) {
    writeAudio("in.wav", quietSignal(44100, 2, 4000));
    ASSERT_EQ(zarpa({"render", "in.wav", "out.flac", "--quiet"}).exitCode, 0);
    ASSERT_EQ(zarpa({"render", "out.flac", "out.aiff", "--bits", "24", "--quiet"}).exitCode, 0);
    EXPECT_TRUE(readAudio("out.aiff").samples == readAudio("in.wav").samples);
    Result ogg = zarpa({"render", "in.wav", "out.ogg", "--json"});
    ASSERT_EQ(ogg.exitCode, 0) << ogg.err;
    EXPECT_EQ(jsonStringField(ogg.out, "conversion"), "lossy (Ogg Vorbis)");
    EXPECT_EQ(readAudio("out.ogg").frames(), 4000u);
}

TEST_F(Render, TheDemoRendersThroughCdMaster1Losslessly) {
    Result r = zarpa({"demo", "--seconds", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("program \"CD Master 1\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("written   lossless"), std::string::npos) << r.out;
    const Audio demo = readAudio("zarpa-demo.wav");
    EXPECT_EQ(demo.frames(), 2u * 44100);
    EXPECT_LE(maxAbs(demo), 1.0);
    EXPECT_EQ(zarpa({"demo", "--seconds", "2"}).exitCode, 1);  // an existing file needs --force
}

}  // namespace
}  // namespace zarpacli::test
