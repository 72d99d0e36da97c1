// Our own WAV reader and writer (the Windows build's audio files): exact round trips, odd sizes, cut and
// foreign files; on Linux also held against libsndfile in both directions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/cli_error.h"
#include "cli/wav_file.h"

#if !defined(_WIN32)
#include <sndfile.h>
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
            WavWriter w(p, e, 48000, channels);
            w.write(signal.data(), 150);
            w.write(signal.data() + 150 * channels, 151);
            w.close();
            WavReader r(p);
            EXPECT_EQ(r.info().sampleRate, 48000);
            EXPECT_EQ(r.info().channels, channels);
            EXPECT_EQ(r.info().frames, 301);
            EXPECT_EQ(r.info().isFloat, e == Encoding::Float32);
            EXPECT_EQ(readAll(r), signal) << encodingName(e) << " " << channels;
        }
    }
}

TEST_F(WavFile, ACutFileReadsTheFramesThatArePresent) {
    const auto signal = gridSignal(16, 100, 2);
    const std::string p = path("cut.wav");
    WavWriter w(p, Encoding::Pcm16, 44100, 2);
    w.write(signal.data(), 100);
    w.close();
    fs::resize_file(p, fs::file_size(p) - 4 * 10 - 2);  // ten and a half frames missing
    WavReader r(p);
    EXPECT_EQ(r.info().frames, 89);
    auto got = readAll(r);
    EXPECT_EQ(got, std::vector<double>(signal.begin(), signal.begin() + 89 * 2));
}

TEST_F(WavFile, RefusesFilesItCannotDecodeWithTheReason) {
    auto message = [&](const std::string& p) {
        try {
            WavReader r(p);
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

        WavWriter w(path("ours.wav"), c.ours, 96000, 2);
        w.write(signal.data(), 257);
        w.close();
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
        WavReader r(path("theirs.wav"));
        EXPECT_EQ(r.info().sampleRate, 22050);
        EXPECT_EQ(readAll(r), signal);
    }
}
#endif

}  // namespace
}  // namespace zarpacli
