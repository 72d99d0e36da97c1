// A cut or damaged input is an error that writes nothing, unless --allow-truncated: then zarpa renders
// what is there and the reports say how much was missing. Files are cut by the test.
#include <filesystem>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

class DamagedInput : public EndToEnd {
protected:
    // Writes `frames` frames in `format` and keeps only the first `keep` of the file's bytes.
    void writeCut(const std::string& name, int format, int frames, double keep) {
        writeAudio(name, quietSignal(44100, 2, frames), format);
        const auto size = std::filesystem::file_size(path(name));
        std::filesystem::resize_file(path(name), static_cast<std::uintmax_t>(static_cast<double>(size) * keep));
    }
    void expectRefused(const std::vector<std::string>& args, const std::string& text) {
        const auto before = files();
        const Result r = zarpa(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--allow-truncated"), std::string::npos) << r.err;
        EXPECT_EQ(files(), before);
    }
};

TEST_F(DamagedInput, ACutWavIsAnErrorOrWithConsentRendersWhatIsThere) {
    writeAudio("whole.wav", quietSignal(44100, 2, 4410));
    const auto bytes = readBytes("whole.wav");
    writeBytes("cut.wav", std::vector<unsigned char>(bytes.begin(), bytes.begin() + 44 + 250 * 4));
    expectRefused({"render", "cut.wav", "out.wav"}, "cut.wav: the file is cut: 4160 of 4410 frames are missing");
    expectRefused({"analyze", "cut.wav"}, "4160 of 4410 frames are missing");

    const Result r = zarpa({"render", "cut.wav", "out.wav", "--allow-truncated", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readAudio("out.wav").frames(), 250u);
    EXPECT_EQ(jsonNumberField(r.out, "missing_frames", "\"truncated\""), 4160);
    const Result text = zarpa({"render", "cut.wav", "out2.wav", "--allow-truncated"});
    EXPECT_NE(text.out.find("the input is damaged (the file is cut: 4160 of 4410 frames are missing)"), std::string::npos)
        << text.out;
    const Result analysis = zarpa({"analyze", "cut.wav", "--allow-truncated", "--json"});
    EXPECT_EQ(analysis.exitCode, 0);
    EXPECT_EQ(jsonNumberField(analysis.out, "missing_frames"), 4160);

    const Result whole = zarpa({"render", "whole.wav", "out3.wav", "--json"});
    EXPECT_NE(whole.out.find("\"truncated\": null"), std::string::npos) << whole.out;
}

TEST_F(DamagedInput, CompressedFilesCutShortAreCaughtWhileDecoding) {
    writeCut("cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 0.5);
    expectRefused({"render", "cut.flac", "out.wav"}, "cut.flac: cannot decode beyond frame");
    const Result flac = zarpa({"render", "cut.flac", "out.wav", "--allow-truncated", "--json"});
    ASSERT_EQ(flac.exitCode, 0) << flac.err;
    const double missing = jsonNumberField(flac.out, "missing_frames");
    EXPECT_GT(missing, 0);
    EXPECT_EQ(readAudio("out.wav").frames() + static_cast<std::size_t>(missing), 44100u);

    // A cut Ogg stream has no last page to tell its length: libsndfile reports the largest count.
    writeCut("cut.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 0.8);
    expectRefused({"render", "cut.ogg", "out.ogg"}, "cut.ogg: its length is unknown");
    const Result ogg = zarpa({"render", "cut.ogg", "out.ogg", "--allow-truncated", "--json"});
    EXPECT_EQ(ogg.exitCode, 0) << ogg.err;
    EXPECT_NE(ogg.out.find("\"missing_frames\": null"), std::string::npos) << ogg.out;
}

}  // namespace
}  // namespace zarpacli::test
