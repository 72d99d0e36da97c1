// Plug-in settings from the command line reach the built plug-in: factory programs, parameters by
// display value, preset and bank files in both byte orders, state chunks saved and loaded.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

using Settings = EndToEnd;

// The display text of parameter `name` in a `zarpa params --json` answer.
std::string display(const Result& r, const std::string& name) {
    return jsonStringField(r.out, "display", "\"name\": \"" + name + "\"");
}

// The displayed number; a display value is met to the display's last digit (a step of the 32-bit
// value moves Drive by about 3e-6 dB).
double shown(const Result& r, const std::string& name) { return std::strtod(display(r, name).c_str(), nullptr); }

TEST_F(Settings, PresetsListsTheTwentyFourPrograms) {
    Result r = zarpa({"presets"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 24);
    EXPECT_NE(r.out.find(" 8  CD Master 1\n"), std::string::npos);
    EXPECT_NE(r.out.find("23  Total Disorder\n"), std::string::npos);
}

TEST_F(Settings, ProgramsAreFoundByNameWhateverTheCaseOrByIndex) {
    for (const char* key : {"cd master 1", "8"}) {
        Result r = zarpa({"params", "--preset", key, "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(display(r, "NoiseShape"), "type B");
        EXPECT_EQ(display(r, "Quantize"), "on");
    }
}

TEST_F(Settings, ParametersAreSetByStepTextDisplayValueOrNormalisedValue) {
    Result r = zarpa({"params", "--json", "--set", "Drive=+6dB", "--set", "Release=120ms", "--set", "Bits=24", "--set",
                   "NoiseShape=\"type B\"", "--set", "Oversample=on", "--set", "L/R Link=50%", "--set",
                   "TransShape=soft", "--set", "Leveller=-oo", "--set", "Output=0.5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NEAR(shown(r, "Drive"), 6.0, 5e-6);
    EXPECT_NEAR(shown(r, "Release"), 120.0, 1e-4);
    EXPECT_EQ(display(r, "Bits"), "24");
    EXPECT_EQ(display(r, "NoiseShape"), "type B");
    EXPECT_EQ(display(r, "Oversample"), "on");
    EXPECT_NEAR(shown(r, "L/R Link"), 50.0, 1e-5);
    EXPECT_EQ(display(r, "TransShape"), "soft");
    EXPECT_EQ(display(r, "Leveller"), "-oo");
    EXPECT_EQ(jsonNumberField(r.out, "value", "\"name\": \"Output\""), 0.5);
}

TEST_F(Settings, AStateChunkSavedWithSettingsLoadsBackTheSameState) {
    Result saved = zarpa({"params", "--preset", "TV Hot", "--set", "Drive=+3dB", "--save-chunk", "state.bin", "--json"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    ASSERT_EQ(readBytes("state.bin").size(), 3104u);
    Result loaded = zarpa({"params", "--chunk", "state.bin", "--json"});
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_EQ(loaded.out, saved.out);
    EXPECT_NEAR(shown(loaded, "Drive"), 3.0, 5e-6);

    // Another program of the same chunk.
    Result other = zarpa({"params", "--chunk", "state.bin", "--program", "8", "--json"});
    ASSERT_EQ(other.exitCode, 0);
    EXPECT_EQ(display(other, "NoiseShape"), "type B");
}

// Records built from a saved chunk: program 15 as a preset file, all 24 as a bank file.
class RecordFiles : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        ASSERT_EQ(zarpa({"params", "--preset", "TV Hot", "--set", "Drive=+3dB", "--save-chunk", "state.bin"}).exitCode, 0);
        chunk_ = readBytes("state.bin");
    }
    std::vector<unsigned char> record(int kind, const std::vector<int>& programs, bool foreign, const char* name) {
        std::vector<unsigned char> r = {0x72, 0x7A, 0x4B, 0x4F, static_cast<unsigned char>(kind)};  // 'OKzr' little-endian
        for (int p : programs) {
            std::vector<unsigned char> program(chunk_.begin() + 32 + 128 * p, chunk_.begin() + 32 + 128 * (p + 1));
            if (name) {
                std::fill(program.begin(), program.begin() + 24, 0);
                std::memcpy(program.data(), name, std::strlen(name));
            }
            if (foreign)
                for (std::size_t i = 24; i < 128; i += 4) std::reverse(program.begin() + i, program.begin() + i + 4);
            r.insert(r.end(), program.begin(), program.end());
        }
        if (foreign) std::reverse(r.begin(), r.begin() + 4);
        return r;
    }
    std::vector<unsigned char> chunk_;
};

TEST_F(RecordFiles, APresetFileLoadsInEitherByteOrder) {
    writeBytes("native.oka", record(0x21, {15}, false, "My Master"));
    writeBytes("foreign.oka", record(0x21, {15}, true, "My Master"));
    ASSERT_EQ(readBytes("native.oka").size(), 133u);
    Result native = zarpa({"params", "--preset-file", "native.oka", "--json"});
    Result foreign = zarpa({"params", "--preset-file", "foreign.oka", "--json"});
    ASSERT_EQ(native.exitCode, 0) << native.err;
    ASSERT_EQ(foreign.exitCode, 0) << foreign.err;
    EXPECT_NEAR(shown(native, "Drive"), 3.0, 5e-6);
    EXPECT_EQ(native.out, foreign.out);
    Result text = zarpa({"params", "--preset-file", "native.oka"});
    EXPECT_NE(text.out.find("program \"My Master\""), std::string::npos);
}

TEST_F(RecordFiles, ControlBytesInAProgramNameFromAFileAreNeverPrintedRaw) {
    writeBytes("evil.oka", record(0x21, {15}, false, "Evil\x1b]0;x\x07\xE9"));
    Result text = zarpa({"params", "--preset-file", "evil.oka"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("program \"Evil?]0;x??\""), std::string::npos) << text.out;
    Result json = zarpa({"params", "--preset-file", "evil.oka", "--json"});
    EXPECT_EQ(json.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(json.out.find('\xE9'), std::string::npos);
}

TEST_F(RecordFiles, ABankFileLoadsWithTheChosenProgram) {
    std::vector<int> all(24);
    for (int k = 0; k < 24; ++k) all[k] = k;
    writeBytes("bank.okb", record(0x37, all, true, nullptr));
    ASSERT_EQ(readBytes("bank.okb").size(), 3077u);
    Result r = zarpa({"params", "--bank-file", "bank.okb", "--program", "15"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("program \"TV Hot\""), std::string::npos);
    Result json = zarpa({"params", "--bank-file", "bank.okb", "--program", "15", "--json"});
    EXPECT_NEAR(shown(json, "Drive"), 3.0, 5e-6);
    Result first = zarpa({"params", "--bank-file", "bank.okb"});
    EXPECT_NE(first.out.find("program \"Default\""), std::string::npos);
}

TEST_F(Settings, AMissingHomeIsNeverCreatedAndThePluginWorksWithoutAStore) {
    const std::string missing = path("no-home");
    const std::string env = "env -u XDG_CONFIG_HOME HOME=" + missing + " ";
    writeAudio("in.wav", quietSignal(44100, 2, 1000));
    // --user-settings: the plug-in looks for the user's own store, under the missing home.
    for (const std::string& command :
         {std::string("info --user-settings"), std::string("render in.wav out.wav --quiet --user-settings")}) {
        const std::string line = "cd " + dir_.string() + " && " + env + ZARPA_TEST_EXE + " " + command + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(line.c_str()), 0) << command;
        EXPECT_FALSE(std::filesystem::exists(missing)) << command;
    }
    EXPECT_EQ(readAudio("out.wav").frames(), 1000u);
}

TEST_F(Settings, InfoShowsTheEffectRecordAsAHostSeesIt) {
    Result r = zarpa({"info", "--json"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(jsonStringField(r.out, "unique_id"), "OKzr");
    EXPECT_EQ(jsonStringField(r.out, "effect_name"), "OKA Zarpa");
    EXPECT_EQ(jsonNumberField(r.out, "num_params"), 26);
    EXPECT_EQ(jsonNumberField(r.out, "initial_delay"), 159);
    EXPECT_EQ(jsonNumberField(r.out, "flags"), 0x1031);
    EXPECT_EQ(jsonNumberField(r.out, "192000"), 543);
}

TEST_F(Settings, AnalyzeReportsEveryReadableFileAndFailsForTheOthers) {
    writeAudio("sine.wav", sineSignal(48000, 2, 48000 * 3, 997.0, 0.5), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Result r = zarpa({"analyze", "sine.wav", "missing.wav", "--json"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("missing.wav: no such file"), std::string::npos);
    EXPECT_NEAR(jsonNumberField(r.out, "sample_peak_dbfs"), -6.02, 0.01);
    // -9.03 LUFS per channel (a full-scale sine in one channel reads -3.01), +3.01 for two channels.
    EXPECT_NEAR(jsonNumberField(r.out, "integrated_lufs"), -6.02, 0.05);
    EXPECT_NEAR(jsonNumberField(r.out, "duration_s"), 3.0, 1e-9);
}

}  // namespace
}  // namespace zarpacli::test
