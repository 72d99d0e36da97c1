// What a render carries besides the audio and what it reports: tags, the broadcast extension and ID3
// chunks kept (or stripped), the figures of the report and its JSON file, and the plug-in it names.
#include <algorithm>
#include <cstring>
#include <map>
#include <png.h>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

using BroadcastRecord = SF_BROADCAST_INFO_VAR(1024);

const std::map<int, std::string> kTags = {
    {SF_STR_TITLE, "Night Drive"}, {SF_STR_ARTIST, "The Testers"}, {SF_STR_ALBUM, "Fixtures"},
    {SF_STR_COMMENT, "mix 7"},     {SF_STR_DATE, "2026-12-08"},    {SF_STR_TRACKNUMBER, "3"},
};
// An ID3 tag carrying an ISRC (TSRC frame), as tagging tools put it into an "id3 " chunk.
const std::vector<unsigned char> kId3 = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 23, 'T', 'S', 'R', 'C', 0, 0, 0, 13,
                                         0, 0, 3, 'G', 'B', 'A', 'B', 'C', '2', '6', '0', '0', '0', '0', '1'};

class Metadata : public EndToEnd {
protected:
    // A tagged broadcast WAV file: the tags, a version 2 broadcast extension and an ID3 chunk.
    void writeTagged(const std::string& name, const Audio& audio) {
        SF_INFO info{};
        info.samplerate = audio.sampleRate;
        info.channels = audio.channels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
        SNDFILE* f = sf_open(path(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr);
        for (const auto& [field, value] : kTags) sf_set_string(f, field, value.c_str());
        BroadcastRecord b{};
        std::strcpy(b.description, "final mix for mastering");
        std::strcpy(b.originator, "Studio B");
        std::strcpy(b.origination_date, "2026-12-01");
        b.time_reference_low = 123456789;
        b.time_reference_high = 1;
        b.version = 2;
        b.loudness_value = -2300;
        std::strcpy(b.coding_history, "A=PCM,F=48000,W=24,M=stereo,T=console\r\n");
        b.coding_history_size = static_cast<std::uint32_t>(std::strlen(b.coding_history));
        ASSERT_EQ(sf_command(f, SFC_SET_BROADCAST_INFO, &b, sizeof b), SF_TRUE);
        SF_CHUNK_INFO chunk{};
        std::memcpy(chunk.id, "id3 ", 4);
        chunk.id_size = 4;
        chunk.datalen = static_cast<unsigned>(kId3.size());
        chunk.data = const_cast<unsigned char*>(kId3.data());
        ASSERT_EQ(sf_set_chunk(f, &chunk), SF_ERR_NO_ERROR);
        sf_writef_double(f, audio.samples.data(), static_cast<sf_count_t>(audio.frames()));
        sf_close(f);
    }

    struct Read {
        std::map<int, std::string> tags;
        bool hasBroadcast = false;
        BroadcastRecord broadcast{};
        std::vector<unsigned char> id3;
    };
    Read readTagged(const std::string& name) {
        Read r;
        SF_INFO info{};
        SNDFILE* f = sf_open(path(name).c_str(), SFM_READ, &info);
        EXPECT_NE(f, nullptr);
        if (!f) return r;
        for (const auto& [field, value] : kTags)
            if (const char* s = sf_get_string(f, field)) r.tags[field] = s;
        r.hasBroadcast = sf_command(f, SFC_GET_BROADCAST_INFO, &r.broadcast, sizeof r.broadcast) == SF_TRUE;
        SF_CHUNK_INFO want{};
        std::memcpy(want.id, "id3 ", 4);
        want.id_size = 4;
        if (SF_CHUNK_ITERATOR* it = sf_get_chunk_iterator(f, &want)) {
            SF_CHUNK_INFO chunk{};
            sf_get_chunk_size(it, &chunk);
            r.id3.resize(chunk.datalen);
            chunk.data = r.id3.data();
            sf_get_chunk_data(it, &chunk);
        }
        sf_close(f);
        return r;
    }
};

TEST_F(Metadata, TagsBroadcastExtensionAndId3ChunkSurviveARenderAndDescribeTheMaster) {
    writeTagged("mix.wav", hotSignal(48000, 2, 48000 * 4, 2.0));
    Result r = zarpa({"render", "mix.wav", "master.wav", "--set", "Drive=+3dB", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Read out = readTagged("master.wav");
    EXPECT_EQ(out.tags, kTags);
    // RIFF pads a chunk of odd size with one byte.
    ASSERT_GE(out.id3.size(), kId3.size());
    EXPECT_TRUE(std::equal(kId3.begin(), kId3.end(), out.id3.begin()));
    ASSERT_TRUE(out.hasBroadcast);
    EXPECT_STREQ(out.broadcast.description, "final mix for mastering");
    EXPECT_STREQ(out.broadcast.originator, "Studio B");
    EXPECT_EQ(out.broadcast.time_reference_low, 123456789u);  // the output is time-aligned with the input
    EXPECT_EQ(out.broadcast.time_reference_high, 1u);
    // The history gains a line for the render; the loudness is the master's, not the source's.
    const std::string history(out.broadcast.coding_history, out.broadcast.coding_history_size);
    EXPECT_EQ(history.rfind("A=PCM,F=48000,W=24,M=stereo,T=console\r\n", 0), 0u) << history;
    EXPECT_NE(history.find("\r\nA=PCM,F=48000,W=24,M=stereo,T=OKA Zarpa, program Default\r\n"), std::string::npos)
        << history;
    const double lufs = jsonNumberField(r.out, "integrated_lufs", "\"output\"");
    EXPECT_NEAR(out.broadcast.loudness_value / 100.0, lufs, 0.01);
    EXPECT_NEAR(out.broadcast.max_true_peak_level / 100.0, jsonNumberField(r.out, "true_peak_dbtp", "\"output\""),
                0.01);
    EXPECT_NE(r.out.find("\"kept\": [\"title\", \"artist\", \"album\", \"track\", \"date\", \"comment\", "
                         "\"broadcast extension\", \"id3 chunk\"]"),
              std::string::npos)
        << r.out;
}

TEST_F(Metadata, StripMetadataDropsEverythingAndAContainerThatCannotHoldItIsNamed) {
    writeTagged("mix.wav", quietSignal(44100, 2, 44100));
    ASSERT_EQ(zarpa({"render", "mix.wav", "bare.wav", "--strip-metadata", "--quiet"}).exitCode, 0);
    const Read bare = readTagged("bare.wav");
    EXPECT_TRUE(bare.tags.empty());
    EXPECT_FALSE(bare.hasBroadcast);
    EXPECT_TRUE(bare.id3.empty());

    Result r = zarpa({"render", "mix.wav", "master.flac"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("warning: master.flac cannot hold the input's broadcast extension, id3 chunk"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(readTagged("master.flac").tags.at(SF_STR_TITLE), "Night Drive");
}

class Report : public EndToEnd {};

TEST_F(Report, GainReductionFollowsTheDriveAndIsZeroWhenNothingIsLimited) {
    writeAudio("quiet.wav", quietSignal(44100, 2, 44100 * 2));
    Result quiet = zarpa({"render", "quiet.wav", "out.wav", "--set", "Output=-3dB", "--json"});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_NEAR(jsonNumberField(quiet.out, "largest_db"), 0.0, 0.05);  // the static -3 dB is no reduction
    EXPECT_EQ(jsonNumberField(quiet.out, "limiting_share"), 0.0);

    writeAudio("hot.wav", hotSignal(44100, 2, 44100 * 4, 1.0), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    double previous = 0.0;
    for (const char* drive : {"+3dB", "+9dB"}) {
        Result r = zarpa({"render", "hot.wav", "out.wav", "--force", "--bits", "32", "--set",
                          std::string("Drive=") + drive, "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const double average = jsonNumberField(r.out, "average_db"), largest = jsonNumberField(r.out, "largest_db");
        EXPECT_GT(average, previous + 2.0) << drive;
        EXPECT_GE(largest, average);
        EXPECT_LE(largest, 24.0);
        EXPECT_GT(jsonNumberField(r.out, "limiting_share"), 0.5);
        previous = average;
    }
    Result off = zarpa({"render", "hot.wav", "out.wav", "--force", "--set", "Power=off", "--json"});
    EXPECT_NE(off.out.find("\"gain_reduction\": null"), std::string::npos) << off.out;
}

TEST_F(Report, NamesThePluginGivesPerChannelPeaksShortWindowLoudnessAndWritesTheJsonFile) {
    Audio a = sineSignal(48000, 2, 48000 * 5, 997.0, 0.5);
    for (std::size_t i = 1; i < a.samples.size(); i += 2) a.samples[i] *= 0.25;  // right 12 dB lower
    writeAudio("sine.wav", a);
    Result r = zarpa({"render", "sine.wav", "out.wav", "--report", "r.json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("  file      " + std::string(ZARPA_TEST_PLUGIN) + "\n"), std::string::npos) << r.out;
    const auto bytes = readBytes("r.json");
    const std::string json(bytes.begin(), bytes.end());
    EXPECT_EQ(jsonStringField(json, "plugin_file"), ZARPA_TEST_PLUGIN);
    EXPECT_NE(json.find("\"channel_peaks_dbfs\": [-6.0"), std::string::npos) << json;
    EXPECT_NE(json.find(", -18.0"), std::string::npos) << json;
    // A steady tone: momentary and short-term maxima equal the integrated loudness, and the
    // peak-to-loudness ratio is true peak minus loudness.
    const double lufs = jsonNumberField(json, "integrated_lufs", "\"output\"");
    EXPECT_NEAR(jsonNumberField(json, "max_momentary_lufs", "\"output\""), lufs, 0.1);
    EXPECT_NEAR(jsonNumberField(json, "max_short_term_lufs", "\"output\""), lufs, 0.1);
    EXPECT_NEAR(jsonNumberField(json, "plr_db", "\"output\""),
                jsonNumberField(json, "true_peak_dbtp", "\"output\"") - lufs, 0.02);

    setenv("ZARPA_PLUGIN", path("gone.so").c_str(), 1);
    Result missing = zarpa({"render", "sine.wav", "again.wav"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("ZARPA_PLUGIN names " + path("gone.so") + ", which does not exist"), std::string::npos)
        << missing.err;
}

TEST_F(Report, PlotIsAPngPictureAndSideOutputsMustNotCollide) {
    writeAudio("hot.wav", hotSignal(44100, 2, 44100 * 2, 2.0));
    Result r = zarpa({"render", "hot.wav", "out.wav", "--plot", "render.png", "--ceiling", "-1dBTP", "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path("render.png").c_str()));
    EXPECT_GE(image.width, 1000u);
    EXPECT_GE(image.height, 500u);
    png_image_free(&image);

    for (const auto& [option, name] : std::vector<std::pair<std::string, std::string>>{
             {"--plot", "out2.wav"}, {"--report", "out2.wav"}, {"--plot", "r.json"}}) {
        const auto before = files();
        Result clash = zarpa({"render", "hot.wav", "out2.wav", "--report", "r.json", option, name});
        EXPECT_EQ(clash.exitCode, 1) << option << " " << name;
        EXPECT_NE(clash.err.find(option + " and "), std::string::npos) << clash.err;
        EXPECT_NE(clash.err.find(" name the same file"), std::string::npos) << clash.err;
        EXPECT_EQ(files(), before);
    }
    Result exists = zarpa({"render", "hot.wav", "out3.wav", "--plot", "render.png"});
    EXPECT_EQ(exists.exitCode, 1);
    EXPECT_NE(exists.err.find("render.png"), std::string::npos) << exists.err;
}

}  // namespace
}  // namespace zarpacli::test
