// The audio back end of the Linux build: libsndfile reads WAV, AIFF, FLAC, Ogg and more.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "cli/audio_file.h"
#include "cli/cli_error.h"

namespace zarpacli {

namespace {

std::string majorFormatName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_TYPEMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) {
        std::string name = info.name;
        auto cut = name.find(' ');
        return cut == std::string::npos ? name : name.substr(0, cut);
    }
    return "audio";
}

void describeSubtype(int format, AudioInfo& info) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8: info.bits = 8; break;
        case SF_FORMAT_PCM_16: info.bits = 16; break;
        case SF_FORMAT_PCM_24: info.bits = 24; break;
        case SF_FORMAT_PCM_32: info.bits = 32; break;
        case SF_FORMAT_FLOAT: info.bits = 32; info.isFloat = true; break;
        case SF_FORMAT_DOUBLE: info.bits = 64; info.isFloat = true; break;
        default: info.bits = 0; break;
    }
    std::string kind = info.bits == 0 ? "compressed" : std::to_string(info.bits) + "-bit" + (info.isFloat ? " float" : "");
    info.formatName = majorFormatName(format) + " " + kind;
}

int sndfileFormat(const OutputFormat& format) {
    int major = SF_FORMAT_WAV;
    switch (format.container) {
        case Container::Wav: major = SF_FORMAT_WAV; break;
        case Container::Aiff: major = SF_FORMAT_AIFF; break;
        case Container::Flac: major = SF_FORMAT_FLAC; break;
        case Container::Ogg: major = SF_FORMAT_OGG; break;
        case Container::W64: major = SF_FORMAT_W64; break;
        case Container::Caf: major = SF_FORMAT_CAF; break;
    }
    int sub = SF_FORMAT_PCM_24;
    switch (format.encoding) {
        case Encoding::Pcm16: sub = SF_FORMAT_PCM_16; break;
        case Encoding::Pcm24: sub = SF_FORMAT_PCM_24; break;
        case Encoding::Float32: sub = SF_FORMAT_FLOAT; break;
        case Encoding::Vorbis: sub = SF_FORMAT_VORBIS; break;
    }
    return major | sub;
}

class SndfileReader : public AudioReader {
public:
    explicit SndfileReader(const std::string& path) : path_(path) {
        std::string reason = unreadableReason(path);
        if (!reason.empty()) throw processingError(path + ": " + reason);
        SF_INFO sfinfo{};
        file_ = sf_open(path.c_str(), SFM_READ, &sfinfo);
        if (!file_)
            throw processingError(path + ": not an audio file zarpa can read (" + sf_strerror(nullptr) + ")");
        info_.sampleRate = sfinfo.samplerate;
        info_.channels = sfinfo.channels;
        info_.frames = sfinfo.frames;
        describeSubtype(sfinfo.format, info_);
    }
    ~SndfileReader() override { sf_close(file_); }

    const AudioInfo& info() const override { return info_; }

    std::size_t read(double* interleaved, std::size_t frames) override {
        sf_count_t got = sf_readf_double(file_, interleaved, static_cast<sf_count_t>(frames));
        if (got < 0 || sf_error(file_) != SF_ERR_NO_ERROR)
            throw processingError(path_ + ": cannot decode (" + sf_strerror(file_) + ")");
        return static_cast<std::size_t>(got);
    }

private:
    std::string path_;
    SNDFILE* file_ = nullptr;
    AudioInfo info_;
};

class SndfileWriter : public AudioWriter {
public:
    SndfileWriter(const std::string& path, const OutputFormat& format, int sampleRate, int channels)
        : path_(path), channels_(channels), bits_(integerBits(format.encoding)), encoding_(format.encoding) {
        SF_INFO sfinfo{};
        sfinfo.samplerate = sampleRate;
        sfinfo.channels = channels;
        sfinfo.format = sndfileFormat(format);
        if (!sf_format_check(&sfinfo))
            throw processingError(containerName(format.container) + " cannot hold " + encodingName(format.encoding) +
                                  " at " + std::to_string(sampleRate) + " Hz");
        file_ = sf_open(path.c_str(), SFM_WRITE, &sfinfo);
        if (!file_) throw processingError(path + ": cannot write (" + sf_strerror(nullptr) + ")");
    }
    ~SndfileWriter() override {
        if (file_) sf_close(file_);
    }

    void write(const double* interleaved, std::size_t frames) override {
        const std::size_t n = frames * static_cast<std::size_t>(channels_);
        sf_count_t written = 0;
        if (bits_ > 0) {
            // libsndfile keeps the top bits of a full-range 32-bit word, which is exact; its own
            // float-to-integer scaling (by 2^(bits-1) - 1) would move every sample.
            const double scale = std::ldexp(1.0, bits_ - 1);
            ints_.resize(n);
            for (std::size_t i = 0; i < n; ++i)
                ints_[i] = static_cast<std::int32_t>(std::clamp(std::nearbyint(interleaved[i] * scale), -scale, scale - 1)) *
                           (1 << (32 - bits_));
            written = sf_writef_int(file_, ints_.data(), static_cast<sf_count_t>(frames));
        } else if (encoding_ == Encoding::Float32) {
            floats_.assign(interleaved, interleaved + n);
            written = sf_writef_float(file_, floats_.data(), static_cast<sf_count_t>(frames));
        } else {
            written = sf_writef_double(file_, interleaved, static_cast<sf_count_t>(frames));
        }
        if (written != static_cast<sf_count_t>(frames))
            throw processingError(path_ + ": write failed (" + sf_strerror(file_) + ")");
    }

    void close() override {
        SNDFILE* f = file_;
        file_ = nullptr;
        if (f && sf_close(f) != 0) throw processingError(path_ + ": could not finish the file");
    }

private:
    std::string path_;
    SNDFILE* file_ = nullptr;
    int channels_;
    int bits_;
    Encoding encoding_;
    std::vector<std::int32_t> ints_;
    std::vector<float> floats_;
};

}  // namespace

std::unique_ptr<AudioReader> openAudioReader(const std::string& path) {
    return std::make_unique<SndfileReader>(path);
}

std::unique_ptr<AudioWriter> createAudioWriter(const std::string& path, const OutputFormat& format, int sampleRate,
                                               int channels) {
    return std::make_unique<SndfileWriter>(path, format, sampleRate, channels);
}

}  // namespace zarpacli
