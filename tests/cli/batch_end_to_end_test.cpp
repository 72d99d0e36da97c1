// Several inputs into one folder: outputs named after the inputs, identical to renders one by one
// while instances run side by side, a report per file and a summary, and the refusals and failures.
#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

class Batch : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        writeAudio("a.wav", hotSignal(44100, 2, 30011, 2.0));
        writeAudio("b.w64", hotSignal(48000, 1, 25000, 3.0), SF_FORMAT_W64 | SF_FORMAT_FLOAT);
        writeAudio("c.wav", quietSignal(96000, 2, 20000));
    }
};

TEST_F(Batch, RendersEveryInputSideBySideExactlyAsOneByOne) {
    Result r = zarpa({"--json", "render", "a.wav", "b.w64", "c.wav", "--outdir", "masters", "-j3", "--set",
                      "Drive=+6dB"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(jsonNumberField(r.out, "rendered"), 3);
    EXPECT_EQ(jsonNumberField(r.out, "jobs"), 3);
    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
             {"a.wav", "masters/a.wav"}, {"b.w64", "masters/b.w64"}, {"c.wav", "masters/c.wav"}}) {
        EXPECT_NE(r.out.find("\"path\": \"" + out + "\""), std::string::npos) << out;
        ASSERT_EQ(zarpa({"render", in, "single." + out.substr(out.rfind('.') + 1), "--set", "Drive=+6dB", "--force",
                         "--quiet"})
                      .exitCode,
                  0);
        const Audio batch = readAudio(out), single = readAudio("single." + out.substr(out.rfind('.') + 1));
        EXPECT_EQ(batch.sampleRate, single.sampleRate) << out;
        EXPECT_TRUE(batch.samples == single.samples) << out;
    }
    // The readable form: a report per file, in the order given, then the summary.
    Result text = zarpa({"render", "a.wav", "b.w64", "c.wav", "--outdir", "masters", "--force", "--format", "w64"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    const auto first = text.out.find("zarpa: a.wav -> masters/a.w64"),
               second = text.out.find("zarpa: b.w64 -> masters/b.w64"),
               summary = text.out.find("zarpa: 3 of 3 files rendered into masters");
    EXPECT_LT(first, second);
    EXPECT_LT(second, summary);
    EXPECT_NE(summary, std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  c.wav ", summary), std::string::npos);
}

TEST_F(Batch, LossyFormatsNameTheOutputsByTheirOwnExtensions) {
    Result mp3 = zarpa({"render", "a.wav", "b.w64", "--outdir", "lossy", "--format", "mp3", "--quiet"});
    ASSERT_EQ(mp3.exitCode, 0) << mp3.err;
    Result opus = zarpa({"render", "b.w64", "--outdir", "lossy", "--format", "opus", "--quiet"});  // 48 kHz
    ASSERT_EQ(opus.exitCode, 0) << opus.err;
    for (const char* out : {"lossy/a.mp3", "lossy/b.mp3", "lossy/b.opus"}) EXPECT_GT(readAudio(out).frames(), 0u) << out;
    EXPECT_EQ(readAudio("lossy/b.opus").sampleRate, 48000);
}

TEST_F(Batch, ExistingOrCollidingOutputsAreRefusedBeforeAnythingRendersAndAFailureSparesTheRest) {
    ASSERT_EQ(zarpa({"render", "a.wav", "--outdir", "out", "--quiet"}).exitCode, 0);
    writeAudio("a.flac", quietSignal(44100, 2, 1000), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    const auto before = files();
    Result exists = zarpa({"render", "c.wav", "a.wav", "--outdir", "out"});
    EXPECT_EQ(exists.exitCode, 1);
    EXPECT_NE(exists.err.find("out/a.wav exists; add --force"), std::string::npos) << exists.err;
    EXPECT_EQ(files(), before);

    Result clash = zarpa({"render", "a.wav", "a.flac", "--outdir", "out2", "--format", "wav"});
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_NE(clash.err.find("a.wav and a.flac would both write out2/a.wav"), std::string::npos)
        << clash.err;
    EXPECT_EQ(files(), before);

    writeBytes("broken.wav", {'R', 'I', 'F', 'F', 0, 0});
    Result partly = zarpa({"render", "broken.wav", "c.wav", "--outdir", "out3", "--quiet", "-j", "2"});
    EXPECT_EQ(partly.exitCode, 2);
    EXPECT_NE(partly.err.find("broken.wav: not an audio file"), std::string::npos) << partly.err;
    EXPECT_EQ(readAudio("out3/c.wav").frames(), 20000u) << partly.err;
    EXPECT_FALSE(std::filesystem::exists(path("out3/broken.wav")));
}

TEST_F(Batch, SideOutputsAreNamedPerInputAndMayNotCollide) {
    Result r = zarpa({"render", "a.wav", "c.wav", "--outdir", "m", "--report", "{}.json", "--plot", "m/{}-plot.png",
                      "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* name : {"a", "c"}) {
        const auto json = readBytes(std::string(name) + ".json");
        EXPECT_NE(std::string(json.begin(), json.end()).find("\"path\": \"m/" + std::string(name) + ".wav\""),
                  std::string::npos);
        EXPECT_FALSE(readBytes("m/" + std::string(name) + "-plot.png").empty());
    }
    const auto before = files();
    Result clash = zarpa({"render", "a.wav", "c.wav", "--outdir", "n", "--report", "same.json"});
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_NE(clash.err.find("put {} where the input's name goes"), std::string::npos) << clash.err;
    Result onto = zarpa({"render", "a.wav", "c.wav", "--outdir", "n", "--plot", "n/{}.wav"});  // onto the audio
    EXPECT_EQ(onto.exitCode, 1);
    EXPECT_NE(onto.err.find("a.wav and a.wav would both write n/a.wav"), std::string::npos) << onto.err;
    EXPECT_EQ(files(), before);
}

}  // namespace
}  // namespace zarpacli::test
