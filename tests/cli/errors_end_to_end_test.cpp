// Every bad input ends with a clear message, the right exit code, and nothing written.
#include <unistd.h>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

class Errors : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        writeAudio("in.wav", quietSignal(44100, 2, 2000));
    }
    // Runs zarpa, expects the exit code and a message containing `text`, and no file added or changed.
    void expectRefusal(const std::vector<std::string>& args, int exitCode, const std::string& text) {
        const auto before = files();
        const auto input = readBytes("in.wav");
        Result r = zarpa(args);
        EXPECT_EQ(r.exitCode, exitCode) << r.err;
        EXPECT_NE(r.err.find(text), std::string::npos) << "stderr: " << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(files(), before);
        EXPECT_EQ(readBytes("in.wav"), input);
    }
};

TEST_F(Errors, UnreadableInputsAreProcessingErrors) {
    expectRefusal({"render", "missing.wav", "out.wav"}, 2, "missing.wav: no such file");
    writeBytes("text.wav", {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
    expectRefusal({"render", "text.wav", "out.wav"}, 2, "text.wav: not an audio file zarpa can read");
    expectRefusal({"render", ".", "out.wav"}, 2, "is a directory");
}

TEST_F(Errors, ChannelCountsAndSampleRatesThePluginCannotTakeAreRefused) {
    writeAudio("three.wav", quietSignal(44100, 3, 100));
    expectRefusal({"render", "three.wav", "out.wav"}, 2, "three.wav has 3 channels; zarpa renders mono and stereo");
    writeAudio("slow.wav", quietSignal(4000, 2, 100));
    expectRefusal({"render", "slow.wav", "out.wav"}, 2, "sample rate of 4000 Hz; the plug-in works from 5000 to 200000");
    writeAudio("fast.wav", quietSignal(250000, 2, 100), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    expectRefusal({"render", "fast.wav", "out.wav"}, 2, "250000 Hz");
}

TEST_F(Errors, UnknownNamesAndValuesAreUsageErrorsThatListWhatIsValid) {
    expectRefusal({"render", "in.wav", "out.wav", "--preset", "CD Master 9"}, 1, "8  CD Master 1");
    expectRefusal({"render", "in.wav", "out.wav", "--preset", "24"}, 1, "unknown preset '24'");
    expectRefusal({"render", "in.wav", "out.wav", "--set", "Boost=3dB"}, 1, "Output, Drive, Transient, Release");
    expectRefusal({"render", "in.wav", "out.wav", "--set", "Drive=+30dB"}, 1, "Drive=+30dB: out of range");
    expectRefusal({"render", "in.wav", "out.wav", "--set", "Bits=12"}, 1, "Bits takes 8, 16, 24");
    expectRefusal({"render", "in.wav", "out.wav", "--set", "Release=2s"}, 1, "unit 's' does not fit");
    expectRefusal({"render", "in.wav", "out.wav", "--set", "dummy=0.5"}, 1, "give the index");
    for (const char* value : {"Drive=inf", "Release=-ooms", "Transient=inf", "Drive=--6dB", "L/R Link=1.5"})
        expectRefusal({"render", "in.wav", "out.wav", "--set", value}, 1, "(or a normalised value 0..1)");
    expectRefusal({"render", "in.wav", "out.wav", "--bits", "12"}, 1, "unknown bit depth");
    expectRefusal({"render", "in.wav", "out.m4a"}, 1, "cannot tell the output format");
    expectRefusal({"render", "in.wav", "out.wav", "--frobnicate"}, 1, "unknown option");
}

TEST_F(Errors, AnExistingOutputIsReplacedOnlyWithForceAndTheInputNever) {
    writeBytes("out.wav", {'o', 'l', 'd'});
    expectRefusal({"render", "in.wav", "out.wav"}, 1, "out.wav exists; add --force");
    EXPECT_EQ(readBytes("out.wav").size(), 3u);
    ASSERT_EQ(zarpa({"render", "in.wav", "out.wav", "--force", "--quiet"}).exitCode, 0);
    EXPECT_GT(readBytes("out.wav").size(), 3u);
    expectRefusal({"render", "in.wav", "in.wav", "--force"}, 1, "is also an input");
    expectRefusal({"render", "in.wav", "./in.wav", "--force"}, 1, "is also an input");
    link((dir_ / "in.wav").c_str(), (dir_ / "hardlink.wav").c_str());
    expectRefusal({"render", "in.wav", "hardlink.wav", "--force"}, 1, "is also an input");
    expectRefusal({"render", "in.wav", "out2.wav", "--save-chunk", "in.wav", "--force"}, 1, "is also an input");
    expectRefusal({"render", "in.wav", "new.wav", "--save-chunk", "./new.wav"}, 1, "name the same file");
}

TEST_F(Errors, UnwritableOutputsAndBrokenPluginsAreProcessingErrors) {
    expectRefusal({"render", "in.wav", "no-such-dir/out.wav"}, 2, "no-such-dir/out.wav: cannot write there");
    expectRefusal({"render", "in.wav", "out.wav", "--plugin", "missing.so"}, 2, "cannot load the plug-in");
    writeBytes("notaplugin.so", {'x'});
    expectRefusal({"render", "in.wav", "out.wav", "--plugin", "./notaplugin.so"}, 2, "cannot load the plug-in");
}

TEST_F(Errors, DamagedSettingFilesAreRefusedBeforeAnythingIsWritten) {
    writeBytes("short.bin", std::vector<unsigned char>(3103, 0));
    expectRefusal({"render", "in.wav", "out.wav", "--chunk", "short.bin"}, 2, "3104 bytes, this file has 3103");
    writeBytes("cut.oka", std::vector<unsigned char>(29, 0));
    expectRefusal({"render", "in.wav", "out.wav", "--preset-file", "cut.oka"}, 2, "133 bytes, this file has 29");
    std::vector<unsigned char> alien(3077, 0);
    alien[4] = 0x37;
    writeBytes("alien.okb", alien);
    expectRefusal({"render", "in.wav", "out.wav", "--bank-file", "alien.okb"}, 2, "belongs to another plug-in");
    expectRefusal({"render", "in.wav", "out.wav", "--bank-file", "none.okb"}, 2, "none.okb: no such file");
}

}  // namespace
}  // namespace zarpacli::test
