// Our own WAV reader and writer (the Windows build's audio files): exact round trips, odd sizes, cut and
// foreign files; on Linux also held against libsndfile in both directions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/cli_error.h"
#include "cli/pending_output.h"
#include "cli/wav_file.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include "cli/audio_file.h"
#endif

namespace zarpacli {
namespace {

namespace fs = std::filesystem;

class WavFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zarpa-wav-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) { return (dir_ / name).string(); }

    // Values on the grid of `bits` (0: any float), frames × channels, covering both ends of the range.
    static std::vector<double> gridSignal(int bits, int frames, int channels) {
        std::vector<double> v(static_cast<std::size_t>(frames) * channels);
        const double h = bits ? std::ldexp(1.0, bits - 1) : 0.0;
        for (std::size_t i = 0; i < v.size(); ++i) {
            double x = std::sin(0.37 * static_cast<double>(i)) * 1.2 - 0.1;
            if (h) x = std::clamp(std::round(x * h), -h, h - 1) / h;
            else x = static_cast<float>(x);
            v[i] = x;
        }
        return v;
    }

    std::vector<double> readAll(AudioReader& r) {
        std::vector<double> all, block(7 * r.info().channels);
        while (std::size_t n = r.read(block.data(), 7)) all.insert(all.end(), block.begin(), block.begin() + n * r.info().channels);
        return all;
    }

    fs::path dir_;
};

TEST_F(WavFile, WritesAndReadsEveryEncodingExactly) {
    for (Encoding e : {Encoding::Pcm16, Encoding::Pcm24, Encoding::Float32}) {
        for (int channels : {1, 2}) {
            const int bits = e == Encoding::Float32 ? 0 : integerBits(e);
            const auto signal = gridSignal(bits, 301, channels);  // odd: 24-bit mono needs a pad byte
            const std::string p = path("rt.wav");
            PendingOutput out(p, true);
            WavWriter w(out.fd(), p, e, 48000, channels);
            w.write(signal.data(), 150);
            w.write(signal.data() + 150 * channels, 151);
            w.close();
            out.commit();
            WavReader r(openInputFile(p), p);
            EXPECT_EQ(r.info().sampleRate, 48000);
            EXPECT_EQ(r.info().channels, channels);
            EXPECT_EQ(r.info().frames, 301);
            EXPECT_EQ(r.info().isFloat, e == Encoding::Float32);
            EXPECT_EQ(readAll(r), signal) << encodingName(e) << " " << channels;
        }
    }
}

// Tags, a version 2 broadcast extension and an ID3 chunk, as a tagged master might carry them.
AudioMetadata taggedMetadata() {
    AudioMetadata m;
    m.tags = {{"title", "Night Drive"}, {"artist", "The Testers"}, {"album", "Fixtures"}, {"track", "3"},
              {"date", "2026-12-08"}, {"comment", "odd"}, {"license", "CC"}};
    BroadcastExtension b;
    b.description = "final mix";
    b.originator = "Studio B";
    b.originationDate = "2026-12-01";
    b.timeReference = (std::uint64_t(1) << 32) + 123456789;
    b.version = 2;
    b.loudnessValue = -2300;
    b.umid[0] = 0x06;
    b.codingHistory = "A=PCM,F=48000,W=24,M=stereo,T=console\r\n";
    m.broadcast = b;
    m.chunks.push_back({"id3 ", {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 1, 7}});  // odd length: padded
    return m;
}

TEST_F(WavFile, KeepsTagsBroadcastExtensionAndChunksAroundTheAudio) {
    const auto signal = gridSignal(24, 301, 2);
    const AudioMetadata m = taggedMetadata();
    PendingOutput file(path("tagged.wav"), true);
    WavWriter w(file.fd(), path("tagged.wav"), Encoding::Pcm24, 48000, 2);
    EXPECT_EQ(w.setMetadata(m), std::vector<std::string>{"license"});  // INFO has no licence field
    w.write(signal.data(), 301);
    BroadcastExtension measured = *m.broadcast;
    measured.loudnessValue = -1400;  // the master's loudness, known only at the end
    w.updateBroadcast(measured);
    w.close();
    file.commit();

    WavReader r(openInputFile(path("tagged.wav")), path("tagged.wav"));
    EXPECT_EQ(readAll(r), signal);
    const AudioMetadata& back = r.metadata();
    std::vector<std::pair<std::string, std::string>> expected(m.tags.begin(), m.tags.end() - 1);
    EXPECT_EQ(back.tags, expected);
    ASSERT_TRUE(back.broadcast);
    EXPECT_EQ(back.broadcast->description, "final mix");
    EXPECT_EQ(back.broadcast->originationDate, "2026-12-01");
    EXPECT_EQ(back.broadcast->timeReference, m.broadcast->timeReference);
    EXPECT_EQ(back.broadcast->umid, m.broadcast->umid);
    EXPECT_EQ(back.broadcast->loudnessValue, -1400);
    EXPECT_EQ(back.broadcast->codingHistory, m.broadcast->codingHistory);
    ASSERT_EQ(back.chunks.size(), 1u);
    EXPECT_EQ(back.chunks[0].data, m.chunks[0].data);
}

TEST_F(WavFile, ACutFileIsAnErrorOrWithConsentReadsTheFramesThatArePresent) {
    const auto signal = gridSignal(16, 100, 2);
    const std::string p = path("cut.wav");
    PendingOutput out(p, false);
    WavWriter w(out.fd(), p, Encoding::Pcm16, 44100, 2);
    w.write(signal.data(), 100);
    w.close();
    out.commit();
    fs::resize_file(p, fs::file_size(p) - 4 * 10 - 2);  // ten and a half frames missing
    try {
        WavReader refused(openInputFile(p), p);
        ADD_FAILURE() << "a cut file read as if whole";
    } catch (const CliError& e) {
        EXPECT_NE(std::string(e.what()).find("cut: 10 of 99 frames are missing"), std::string::npos) << e.what();
    }
    WavReader r(openInputFile(p), p, true);
    EXPECT_EQ(r.info().frames, 89);
    EXPECT_EQ(r.damage().missingFrames, 10);
    auto got = readAll(r);
    EXPECT_EQ(got, std::vector<double>(signal.begin(), signal.begin() + 89 * 2));
}

TEST_F(WavFile, RefusesFilesItCannotDecodeWithTheReason) {
    auto message = [&](const std::string& p) {
        try {
            WavReader r(openInputFile(p), p);
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitProcessing);
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(message(path("missing.wav")).find("no such file"), std::string::npos);
    EXPECT_NE(message(dir_.string()).find("is a directory"), std::string::npos);
    {
        std::FILE* f = std::fopen(path("text.wav").c_str(), "wb");
        std::fputs("this is not audio at all", f);
        std::fclose(f);
    }
    EXPECT_NE(message(path("text.wav")).find("not an audio file"), std::string::npos);
    {
        // A WAVE file with an ADPCM format tag (2) and nothing we can decode.
        const unsigned char adpcm[] = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                                       2,   0,   1,   0,   0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 4, 0, 'd', 'a', 't', 'a',
                                       0,   0,   0,   0};
        std::FILE* f = std::fopen(path("adpcm.wav").c_str(), "wb");
        std::fwrite(adpcm, 1, sizeof adpcm, f);
        std::fclose(f);
    }
    EXPECT_NE(message(path("adpcm.wav")).find("compressed WAV encoding 2"), std::string::npos);
}

#if !defined(_WIN32)
// libsndfile reads what we write and we read what it writes, sample for sample.
TEST_F(WavFile, AgreesWithLibsndfileInBothDirections) {
    struct Case {
        Encoding ours;
        int sndfile;
    };
    for (Case c : {Case{Encoding::Pcm16, SF_FORMAT_PCM_16}, Case{Encoding::Pcm24, SF_FORMAT_PCM_24},
                   Case{Encoding::Float32, SF_FORMAT_FLOAT}}) {
        const int bits = c.ours == Encoding::Float32 ? 0 : integerBits(c.ours);
        const auto signal = gridSignal(bits, 257, 2);

        PendingOutput ours(path("ours.wav"), true);
        WavWriter w(ours.fd(), path("ours.wav"), c.ours, 96000, 2);
        w.write(signal.data(), 257);
        w.close();
        ours.commit();
        SF_INFO info{};
        SNDFILE* in = sf_open(path("ours.wav").c_str(), SFM_READ, &info);
        ASSERT_TRUE(in) << sf_strerror(nullptr);
        EXPECT_EQ(info.samplerate, 96000);
        EXPECT_EQ(info.frames, 257);
        std::vector<double> theirs(signal.size());
        EXPECT_EQ(sf_readf_double(in, theirs.data(), 257), 257);
        sf_close(in);
        EXPECT_EQ(theirs, signal);

        SF_INFO out{};
        out.samplerate = 22050;
        out.channels = 2;
        out.format = SF_FORMAT_WAV | c.sndfile;
        SNDFILE* f = sf_open(path("theirs.wav").c_str(), SFM_WRITE, &out);
        ASSERT_TRUE(f);
        sf_command(f, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
        std::vector<double> raw(signal);
        if (bits)
            for (double& v : raw) v *= std::ldexp(1.0, bits - 1);
        sf_writef_double(f, raw.data(), 257);
        sf_close(f);
        WavReader r(openInputFile(path("theirs.wav")), path("theirs.wav"));
        EXPECT_EQ(r.info().sampleRate, 22050);
        EXPECT_EQ(readAll(r), signal);
    }
}

// libsndfile closes a descriptor it fails to open even when told not to: the back end must hand it a copy, or
// the owner's later close can hit a file another render of a batch has opened in the meantime.
TEST_F(WavFile, TheLibsndfileBackEndLeavesTheCallersDescriptorOpenWhenItRefuses) {
    std::FILE* text = std::fopen(path("notes.txt").c_str(), "w");
    ASSERT_TRUE(text);
    std::fputs("not audio\n", text);
    std::fclose(text);
    const int readOnly = ::open(path("notes.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(readOnly, 0);
    EXPECT_THROW(createAudioWriter(readOnly, "notes.txt", OutputFormat{}, 44100, 2), CliError);
    EXPECT_NE(::fcntl(readOnly, F_GETFD), -1) << "the writer closed a descriptor it did not own";
    ::close(readOnly);
}

// libsndfile finds our tags and broadcast extension, and we find its (it writes the tags after the audio).
TEST_F(WavFile, MetadataAgreesWithLibsndfileInBothDirections) {
    const auto signal = gridSignal(16, 100, 2);
    PendingOutput file(path("ours.wav"), true);
    WavWriter w(file.fd(), path("ours.wav"), Encoding::Pcm16, 48000, 2);
    w.setMetadata(taggedMetadata());
    w.write(signal.data(), 100);
    w.close();
    file.commit();
    SF_INFO info{};
    SNDFILE* in = sf_open(path("ours.wav").c_str(), SFM_READ, &info);
    ASSERT_TRUE(in);
    EXPECT_STREQ(sf_get_string(in, SF_STR_TITLE), "Night Drive");
    EXPECT_STREQ(sf_get_string(in, SF_STR_TRACKNUMBER), "3");
    SF_BROADCAST_INFO bext{};
    ASSERT_EQ(sf_command(in, SFC_GET_BROADCAST_INFO, &bext, sizeof bext), SF_TRUE);
    EXPECT_STREQ(bext.originator, "Studio B");
    EXPECT_EQ(bext.time_reference_high, 1u);
    sf_close(in);

    SF_INFO out{};
    out.samplerate = 44100;
    out.channels = 1;
    out.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path("theirs.wav").c_str(), SFM_WRITE, &out);
    ASSERT_TRUE(f);
    sf_writef_double(f, signal.data(), 100);
    sf_set_string(f, SF_STR_ARTIST, "Them");  // after the audio: libsndfile appends the list
    sf_set_string(f, SF_STR_ALBUM, "Theirs");
    sf_close(f);
    WavReader r(openInputFile(path("theirs.wav")), path("theirs.wav"));
    EXPECT_EQ(r.info().frames, 100);
    const auto& tags = r.metadata().tags;
    EXPECT_NE(std::find(tags.begin(), tags.end(), std::pair<std::string, std::string>{"artist", "Them"}), tags.end());
    EXPECT_NE(std::find(tags.begin(), tags.end(), std::pair<std::string, std::string>{"album", "Theirs"}), tags.end());
    const auto back = readAll(r);  // back at the audio after reading the tags behind it
    ASSERT_EQ(back.size(), 100u);
    for (std::size_t i = 0; i < back.size(); ++i) EXPECT_NEAR(back[i], signal[i], 1e-4);
}
#endif

}  // namespace
}  // namespace zarpacli
