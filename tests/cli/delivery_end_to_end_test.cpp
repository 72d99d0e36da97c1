// Delivery from the built zarpa: settings in force from the first sample, true-peak and sample-peak
// ceilings met on the file as written, a loudness target, dither to the output word length, and renders
// that neither read nor write the user's own settings store.
#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

using Delivery = EndToEnd;

// What a listener's meter reads from a written file: libebur128's true peak and integrated loudness.
struct Measured {
    double truePeakDb = 0.0;
    double lufs = 0.0;
};

Measured measure(const Audio& a) {
    ebur128_state* st = ebur128_init(static_cast<unsigned>(a.channels), static_cast<unsigned long>(a.sampleRate),
                                     EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_double(st, a.samples.data(), a.frames());
    Measured m;
    double peak = 0.0;
    for (int c = 0; c < a.channels; ++c) {
        double p = 0.0;
        ebur128_true_peak(st, static_cast<unsigned>(c), &p);
        peak = std::max(peak, p);
    }
    m.truePeakDb = 20.0 * std::log10(peak);
    ebur128_loudness_global(st, &m.lufs);
    ebur128_destroy(&st);
    return m;
}

// Something like a dense, hot master: a bass line, chords and hats, with sharp transients whose
// peaks fall between samples.
Audio musicLike(int sampleRate, int frames, double gain) {
    Audio a{sampleRate, 2, {}};
    std::uint32_t noise = 99u;
    for (int n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / sampleRate;
        const double beat = std::fmod(t, 0.5);
        noise = noise * 1664525u + 1013904223u;
        const double hat = ((noise >> 8) * (2.0 / 16777216.0) - 1.0) * std::exp(-beat * 60.0);
        for (int c = 0; c < 2; ++c) {
            const double v = 0.6 * std::sin(2 * M_PI * 55.0 * t) * std::exp(-beat * 4.0) +
                             0.25 * std::sin(2 * M_PI * (440.0 + 3.0 * c) * t) +
                             0.2 * std::sin(2 * M_PI * 11020.0 * t + c) + 0.3 * hat;
            a.samples.push_back(gain * v);
        }
    }
    return a;
}

TEST_F(Delivery, SettingsAreInForceFromTheFirstSampleWhicheverWayTheyArrive) {
    writeAudio("hot.wav", hotSignal(44100, 2, 30000, 2.0), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Result set = zarpa({"render", "hot.wav", "set.wav", "--preset", "Default", "--set", "Output=-10dB", "--set",
                        "Drive=+6dB", "--bits", "32", "--quiet"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    const Audio out = readAudio("set.wav");
    const double ceiling = std::pow(10.0, -10.0 / 20.0);
    // From sample 0 on: the output glide no longer starts at the program's level.
    EXPECT_LE(maxAbs(out), ceiling * (1.0 + 1e-6));
    EXPECT_GT(maxAbs(out), ceiling * 0.9);

    ASSERT_EQ(zarpa({"params", "--preset", "Default", "--set", "Output=-10dB", "--set", "Drive=+6dB", "--save-chunk",
                     "state.bin"})
                  .exitCode,
              0);
    Result chunk = zarpa({"render", "hot.wav", "chunk.wav", "--chunk", "state.bin", "--bits", "32", "--quiet"});
    ASSERT_EQ(chunk.exitCode, 0) << chunk.err;
    EXPECT_TRUE(readAudio("chunk.wav").samples == out.samples);
}

TEST_F(Delivery, ATruePeakCeilingHoldsOnTheFileAsWrittenLossyFilesDecoded) {
    writeAudio("mix.wav", musicLike(44100, 44100 * 4, 1.6), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    for (const char* out : {"out.wav", "out.ogg"}) {
        Result r = zarpa({"render", "mix.wav", out, "--ceiling", "-1dBTP", "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Measured m = measure(readAudio(out));
        EXPECT_LE(m.truePeakDb, -1.0) << out;
        EXPECT_GT(m.truePeakDb, -1.5) << out;  // met by lowering Output no more than needed
        EXPECT_NEAR(jsonNumberField(r.out, "true_peak_dbtp", "\"delivery\""), m.truePeakDb, 0.01) << out;
        EXPECT_GE(jsonNumberField(r.out, "passes"), 1);
        EXPECT_LE(jsonNumberField(r.out, "output_db"), -1.0);
    }
}

// Opus and MP3 decode to something other than what was written: the ceiling is met on the decoded file,
// nothing is dithered (a float source would be for an integer file), and the report says lossy.
TEST_F(Delivery, ATruePeakCeilingHoldsOnDecodedOpusAndMp3) {
    writeAudio("mix.wav", musicLike(48000, 48000 * 4, 1.6), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    for (const auto& [out, kind] : {std::pair{"out.opus", "Ogg Opus"}, std::pair{"out.mp3", "MPEG Layer III"}}) {
        Result r = zarpa({"render", "mix.wav", out, "--ceiling", "-1dBTP", "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Audio decoded = readAudio(out);
        EXPECT_EQ(decoded.sampleRate, 48000) << out;
        const Measured m = measure(decoded);
        EXPECT_LE(m.truePeakDb, -1.0) << out;
        EXPECT_GT(m.truePeakDb, -1.6) << out;
        EXPECT_NEAR(jsonNumberField(r.out, "true_peak_dbtp", "\"delivery\""), m.truePeakDb, 0.01) << out;
        EXPECT_EQ(jsonStringField(r.out, "conversion"), std::string("lossy (") + kind + ")") << out;
        EXPECT_NE(r.out.find("\"word_length\": null"), std::string::npos) << r.out;
        std::printf("[ measured ] %s: true peak %.3f dBTP after %g passes\n", out, m.truePeakDb,
                    jsonNumberField(r.out, "passes"));
    }
}

TEST_F(Delivery, AnOpusRenderAtARateOpusCannotTakeIsRefused) {
    writeAudio("mix.wav", musicLike(44100, 44100, 0.5), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"render", "mix.wav", "out.opus"},
                                                 {"render", "mix.wav", "out.wav", "--format", "opus", "--force"}}) {
        std::vector<std::string> withCeiling = args;
        withCeiling.insert(withCeiling.end(), {"--ceiling", "-1dBTP"});
        Result r = zarpa(withCeiling);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("8000, 12000, 16000, 24000 or 48000 Hz"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("44100 Hz"), std::string::npos) << r.err;
    }
    EXPECT_EQ(files(), std::set<std::string>{"mix.wav"});  // nothing written
}

TEST_F(Delivery, ASamplePeakCeilingHoldsOnSixteenBitDitheredOutput) {
    writeAudio("mix.wav", musicLike(48000, 48000 * 2, 2.0), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    Result r =
        zarpa({"render", "mix.wav", "cd.wav", "--preset", "CD Master 1", "--bits", "16", "--ceiling", "-0.3dBFS"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const double peak = maxAbs(readAudio("cd.wav"));
    EXPECT_LE(20.0 * std::log10(peak), -0.3);
    EXPECT_GT(20.0 * std::log10(peak), -0.6);
    EXPECT_NE(
        r.out.find("dither    dithered to 16 bits by the plug-in's requantizer (TPDF dither, noise shaping type B)"),
        std::string::npos)
        << r.out;
}

TEST_F(Delivery, ALoudnessTargetIsMetWithTheDefaultCeiling) {
    const Audio mix = musicLike(44100, 44100 * 6, 0.5);
    writeAudio("mix.wav", mix, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    for (double target : {-14.0, -23.0}) {
        Result r =
            zarpa({"render", "mix.wav", "out.wav", "--target-lufs", std::to_string(target), "--force", "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Measured m = measure(readAudio("out.wav"));
        EXPECT_NEAR(m.lufs, target, 0.1);
        EXPECT_LE(m.truePeakDb, -1.0);
        EXPECT_LE(jsonNumberField(r.out, "passes"), 6) << r.out;
        EXPECT_NEAR(jsonNumberField(r.out, "integrated_lufs", "\"delivery\""), m.lufs, 0.01);
        // The input is measured once, in the first pass, and reported as such.
        EXPECT_NEAR(jsonNumberField(r.out, "integrated_lufs", "\"input\""), measure(mix).lufs, 0.01);
    }
}

TEST_F(Delivery, TargetsAndCeilingsThatCannotBeMetFailPlainly) {
    writeAudio("mix.wav", musicLike(44100, 44100 * 3, 1.0), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Result loud = zarpa({"render", "mix.wav", "out.wav", "--target-lufs", "-2", "--ceiling", "-1dBTP"});
    EXPECT_EQ(loud.exitCode, 2);
    EXPECT_NE(loud.err.find("cannot reach -2.0 LUFS with the ceiling -1.00 dBTP"), std::string::npos) << loud.err;
    Result bypassed = zarpa({"render", "mix.wav", "out.wav", "--ceiling", "-1dBTP", "--set", "Power=off"});
    EXPECT_EQ(bypassed.exitCode, 2);
    EXPECT_NE(bypassed.err.find("cannot meet the ceiling -1.00 dBTP"), std::string::npos) << bypassed.err;
    writeAudio("silence.wav", sineSignal(44100, 2, 44100 * 2, 100.0, 0.0));
    Result silent = zarpa({"render", "silence.wav", "out.wav", "--target-lufs", "-14"});
    EXPECT_EQ(silent.exitCode, 2);
    EXPECT_NE(silent.err.find("no measurable loudness"), std::string::npos) << silent.err;
    EXPECT_FALSE(files().count("out.wav"));
    EXPECT_EQ(zarpa({"render", "mix.wav", "out.wav", "--ceiling", "-1"}).exitCode, 1);
    EXPECT_EQ(zarpa({"render", "mix.wav", "out.wav", "--target-lufs", "loud"}).exitCode, 1);
}

TEST_F(Delivery, IntegerFilesFromLongerWordsAreDitheredUnlessRefused) {
    // A tone of a third of a 16-bit step: rounding without dither loses it entirely.
    writeAudio("faint.wav", sineSignal(44100, 2, 44100, 1000.0, 0.3 / 32768.0), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    auto nonZero = [](const Audio& a) {
        return std::count_if(a.samples.begin(), a.samples.end(), [](double v) { return v != 0.0; });
    };

    Result dithered = zarpa({"render", "faint.wav", "d.wav", "--bits", "16", "--preset", "Default", "--json"});
    ASSERT_EQ(dithered.exitCode, 0) << dithered.err;
    EXPECT_GT(nonZero(readAudio("d.wav")), 10000);
    EXPECT_NE(jsonStringField(dithered.out, "word_length").find("dithered to 16 bits"), std::string::npos);

    Result plain =
        zarpa({"render", "faint.wav", "p.wav", "--bits", "16", "--preset", "Default", "--no-dither", "--json"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(nonZero(readAudio("p.wav")), 0);
    EXPECT_NE(jsonStringField(plain.out, "conversion").find("rounded without dither"), std::string::npos);

    // Word lengths that do not fit the file are named, not called lossless.
    Result shorter = zarpa(
        {"render", "faint.wav", "s.wav", "--bits", "16", "--no-dither", "--set", "Quantize=on", "--set", "Bits=8"});
    ASSERT_EQ(shorter.exitCode, 0) << shorter.err;
    EXPECT_NE(shorter.out.find("warning   the plug-in requantizes to 8 bits: the 16-bit file holds 8-bit audio"),
              std::string::npos)
        << shorter.out;
    Result intoFloat = zarpa({"render", "faint.wav", "f.wav", "--bits", "32", "--preset", "CD Master 1", "--json"});
    ASSERT_EQ(intoFloat.exitCode, 0) << intoFloat.err;
    EXPECT_NE(intoFloat.err.find("warning: the program requantizes to 16 bits, but the file is 32-bit float"),
              std::string::npos)
        << intoFloat.err;
    EXPECT_EQ(jsonStringField(intoFloat.out, "conversion").find("lossless"), std::string::npos);
}

// A default preset stored in the user's settings store, as the plug-in's preset bar stores it.
class UserStore : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        ASSERT_EQ(zarpa({"params", "--preset", "TV Hot", "--save-chunk", "state.bin"}).exitCode, 0);
        const std::vector<unsigned char> chunk = readBytes("state.bin");
        std::vector<unsigned char> preset = {0x72, 0x7A, 0x4B, 0x4F, 0x21};  // 'OKzr', preset record
        preset.insert(preset.end(), chunk.begin() + 32 + 128 * 15, chunk.begin() + 32 + 128 * 16);
        std::fill(preset.begin() + 5, preset.begin() + 29, 0);
        std::memcpy(preset.data() + 5, "Stored Default", 14);
        store_ = dir_ / ".config" / "SOFTWARE" / "OKA-tonelab" / "OKAzarpa";
        std::filesystem::create_directories(store_);
        std::ofstream(store_ / "DefaultPreset", std::ios::binary)
            .write(reinterpret_cast<const char*>(preset.data()), static_cast<std::streamsize>(preset.size()));
        // zarpa's private store goes here, inside the scratch directory, so leftovers are seen.
        tmp_ = dir_ / ".config" / "tmp";
        std::filesystem::create_directories(tmp_);
        setenv("TMPDIR", tmp_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TMPDIR");
        EndToEnd::TearDown();
    }
    std::set<std::string> storeContents() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir_ / ".config" / "SOFTWARE"))
            names.insert(e.path().string());
        return names;
    }
    std::filesystem::path store_, tmp_;
};

TEST_F(UserStore, RendersAndListingsIgnoreTheStoredDefaultsAndWriteNothingUnlessAskedTo) {
    Result mine = zarpa({"presets", "--user-settings"});
    EXPECT_NE(mine.out.find(" 0  Stored Default\n"), std::string::npos) << mine.out;
    const auto before = storeContents();  // the plug-in opened on the user's store writes its paths into it

    Result presets = zarpa({"presets"});
    ASSERT_EQ(presets.exitCode, 0) << presets.err;
    EXPECT_NE(presets.out.find(" 0  Default\n"), std::string::npos) << presets.out;
    Result params = zarpa({"params"});
    EXPECT_NE(params.out.find("program \"Default\""), std::string::npos) << params.out;

    writeAudio("mix.wav", musicLike(44100, 44100, 1.0), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Result render = zarpa({"render", "mix.wav", "out.wav", "--json"});
    ASSERT_EQ(render.exitCode, 0) << render.err;
    EXPECT_EQ(jsonStringField(render.out, "program"), "Default");
    EXPECT_EQ(storeContents(), before);
    EXPECT_TRUE(std::filesystem::is_empty(tmp_));  // the private store is gone again
}

}  // namespace
}  // namespace zarpacli::test
