// The audio back end of the Linux build: libsndfile reads and writes WAV, AIFF, FLAC, Ogg, Opus, MP3 and more.
#include <fcntl.h>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "cli/audio_file.h"
#include "cli/cli_error.h"
#include "cli/file_access.h"

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
    std::string kind =
        info.bits == 0 ? "compressed" : std::to_string(info.bits) + "-bit" + (info.isFloat ? " float" : "");
    info.formatName = majorFormatName(format) + " " + kind;
}

// libsndfile's string fields and the names zarpa reports them by ("software" names the program that
// wrote a file, which after a render is no longer the source's).
const std::pair<int, const char*> kTagFields[] = {
    {SF_STR_TITLE, "title"},     {SF_STR_ARTIST, "artist"},       {SF_STR_ALBUM, "album"},
    {SF_STR_TRACKNUMBER, "track"}, {SF_STR_DATE, "date"},         {SF_STR_COMMENT, "comment"},
    {SF_STR_GENRE, "genre"},     {SF_STR_COPYRIGHT, "copyright"}, {SF_STR_LICENSE, "license"},
};

// Room for a long coding history; libsndfile takes records up to just below 16 KiB of history.
using BroadcastRecord = SF_BROADCAST_INFO_VAR(16000);

std::string fixedText(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

template <std::size_t N>
void putFixedText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(N, text.size()));
}

std::optional<BroadcastExtension> readBroadcast(SNDFILE* file) {
    auto record = std::make_unique<BroadcastRecord>();
    std::memset(record.get(), 0, sizeof(BroadcastRecord));
    if (sf_command(file, SFC_GET_BROADCAST_INFO, record.get(), sizeof(BroadcastRecord)) != SF_TRUE) return std::nullopt;
    const BroadcastRecord& r = *record;
    BroadcastExtension b;
    b.description = fixedText(r.description, sizeof r.description);
    b.originator = fixedText(r.originator, sizeof r.originator);
    b.originatorReference = fixedText(r.originator_reference, sizeof r.originator_reference);
    b.originationDate = fixedText(r.origination_date, sizeof r.origination_date);
    b.originationTime = fixedText(r.origination_time, sizeof r.origination_time);
    b.timeReference = std::uint64_t(r.time_reference_high) << 32 | r.time_reference_low;
    b.version = r.version;
    std::memcpy(b.umid.data(), r.umid, b.umid.size());
    b.loudnessValue = r.loudness_value;
    b.loudnessRange = r.loudness_range;
    b.maxTruePeakLevel = r.max_true_peak_level;
    b.maxMomentaryLoudness = r.max_momentary_loudness;
    b.maxShortTermLoudness = r.max_shortterm_loudness;
    b.codingHistory =
        fixedText(r.coding_history, std::min<std::size_t>(r.coding_history_size, sizeof r.coding_history));
    return b;
}

bool writeBroadcast(SNDFILE* file, const BroadcastExtension& b) {
    auto record = std::make_unique<BroadcastRecord>();
    std::memset(record.get(), 0, sizeof(BroadcastRecord));
    BroadcastRecord& r = *record;
    putFixedText(r.description, b.description);
    putFixedText(r.originator, b.originator);
    putFixedText(r.originator_reference, b.originatorReference);
    putFixedText(r.origination_date, b.originationDate);
    putFixedText(r.origination_time, b.originationTime);
    r.time_reference_low = static_cast<std::uint32_t>(b.timeReference);
    r.time_reference_high = static_cast<std::uint32_t>(b.timeReference >> 32);
    r.version = static_cast<short>(b.version);
    std::memcpy(r.umid, b.umid.data(), b.umid.size());
    r.loudness_value = b.loudnessValue;
    r.loudness_range = b.loudnessRange;
    r.max_true_peak_level = b.maxTruePeakLevel;
    r.max_momentary_loudness = b.maxMomentaryLoudness;
    r.max_shortterm_loudness = b.maxShortTermLoudness;
    const std::size_t history = std::min(b.codingHistory.size(), sizeof r.coding_history);
    std::memcpy(r.coding_history, b.codingHistory.data(), history);
    r.coding_history_size = static_cast<std::uint32_t>(history);
    return sf_command(file, SFC_SET_BROADCAST_INFO, record.get(), sizeof(BroadcastRecord)) == SF_TRUE;
}

AudioMetadata readMetadata(SNDFILE* file) {
    AudioMetadata m;
    for (const auto& [field, name] : kTagFields)
        if (const char* value = sf_get_string(file, field); value && *value) m.tags.emplace_back(name, value);
    m.broadcast = readBroadcast(file);
    // libsndfile names no chunk it iterates over, so each kept id is looked up by name.
    for (const char* id : kKeptChunkIds) {
        SF_CHUNK_INFO wanted{};
        std::memcpy(wanted.id, id, 4);
        wanted.id_size = 4;
        for (SF_CHUNK_ITERATOR* it = sf_get_chunk_iterator(file, &wanted); it; it = sf_next_chunk_iterator(it)) {
            SF_CHUNK_INFO chunk{};
            if (sf_get_chunk_size(it, &chunk) != SF_ERR_NO_ERROR || chunk.datalen == 0) continue;
            MetadataChunk kept{id, std::vector<unsigned char>(chunk.datalen)};
            chunk.data = kept.data.data();
            if (sf_get_chunk_data(it, &chunk) != SF_ERR_NO_ERROR) continue;
            kept.data.resize(chunk.datalen);
            m.chunks.push_back(std::move(kept));
        }
    }
    return m;
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
        case Container::Opus: major = SF_FORMAT_OGG; break;
        case Container::Mp3: major = SF_FORMAT_MPEG; break;
    }
    int sub = SF_FORMAT_PCM_24;
    switch (format.encoding) {
        case Encoding::Pcm16: sub = SF_FORMAT_PCM_16; break;
        case Encoding::Pcm24: sub = SF_FORMAT_PCM_24; break;
        case Encoding::Float32: sub = SF_FORMAT_FLOAT; break;
        case Encoding::Vorbis: sub = SF_FORMAT_VORBIS; break;
        case Encoding::Opus: sub = SF_FORMAT_OPUS; break;
        case Encoding::Mp3: sub = SF_FORMAT_MPEG_LAYER_III; break;
    }
    return major | sub;
}

// How many bytes the header promises beyond the end of the file. libsndfile shortens the frame count
// of a cut file to what is there and notes each size it found too large in its log, as
// "data : 176400 (should be 88178)". Sizes a streaming writer leaves (all ones) promise nothing.
std::uint64_t headerShortfall(SNDFILE* file) {
    char log[16384] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log - 1);
    std::uint64_t shortfall = 0;
    for (const char* line = log; *line;) {
        unsigned long long stated = 0, present = 0;
        char name[16];
        if (std::sscanf(line, " %15[^: ] : %llu (should be %llu)", name, &stated, &present) == 3 && stated > present &&
            stated != 0xFFFFFFFFull && stated < 0xFFFFFFFF00000000ull)
            shortfall = std::max<std::uint64_t>(shortfall, stated - present);
        const char* next = std::strchr(line, '\n');
        if (!next) break;
        line = next + 1;
    }
    return shortfall;
}

// libsndfile closes the descriptor it is handed when opening fails, even when told to leave it open; closed
// again by its owner, that number may by then be a file another render has just opened (a batch renders side
// by side). So libsndfile gets a copy of its own, which it closes on every path, and the owner keeps its own.
int copyForLibsndfile(int fd, const std::string& path) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) throw processingError(path + ": " + std::strerror(errno));
    return copy;
}

// Opens through libsndfile; a failure's reason is read from its one global error slot, so renders side by
// side open one at a time and each reads its own reason. Null with `reason` set on failure.
SNDFILE* openWithLibsndfile(int fd, const std::string& path, int mode, SF_INFO& info, std::string& reason) {
    static std::mutex opening;
    std::lock_guard<std::mutex> lock(opening);
    SNDFILE* file = sf_open_fd(copyForLibsndfile(fd, path), mode, &info, SF_TRUE);
    if (!file) reason = sf_strerror(nullptr);
    return file;
}

class SndfileReader : public AudioReader {
public:
    SndfileReader(const FileDescriptor& fd, const std::string& path, bool acceptDamage)
        : AudioReader(acceptDamage), path_(path) {
        SF_INFO sfinfo{};
        std::string reason;
        file_.reset(openWithLibsndfile(fd.get(), path, SFM_READ, sfinfo, reason));
        if (!file_) throw processingError(path + ": not an audio file zarpa can read (" + reason + ")");
        info_.sampleRate = sfinfo.samplerate;
        info_.channels = sfinfo.channels;
        describeSubtype(sfinfo.format, info_);
        metadata_ = readMetadata(file_.get());
        // A file whose end is missing can leave its length unknown (a cut Ogg stream: the largest count).
        if (sfinfo.frames < 0 || sfinfo.frames == SF_COUNT_MAX) {
            info_.frames = 0;
            noteDamage(path, -1, "its length is unknown: the end of the file is missing or damaged");
        } else {
            info_.frames = sfinfo.frames;
            const int frameBytes = info_.bits > 0 ? sfinfo.channels * ((info_.bits + 7) / 8) : 0;
            const std::uint64_t shortfall = headerShortfall(file_.get());
            if (frameBytes > 0 && shortfall >= static_cast<std::uint64_t>(frameBytes)) {
                const auto missing = static_cast<std::int64_t>(shortfall / static_cast<std::uint64_t>(frameBytes));
                noteDamage(path, missing, "the file is cut: " + missingFramesText(missing, info_.frames + missing));
            }
        }
    }

    const AudioInfo& info() const override { return info_; }
    const AudioMetadata& metadata() const override { return metadata_; }

    std::size_t read(double* interleaved, std::size_t frames) override {
        if (ended_) return 0;
        const sf_count_t got = std::max<sf_count_t>(0, sf_readf_double(file_.get(), interleaved, static_cast<sf_count_t>(frames)));
        read_ += got;
        if (sf_error(file_.get()) != SF_ERR_NO_ERROR) {  // undecodable from here on
            ended_ = true;
            noteDamage(path_, missingAfter(), "cannot decode beyond frame " + std::to_string(read_) + " (" +
                                                  sf_strerror(file_.get()) + "): " + missingFramesText(missingAfter(), info_.frames));
        } else if (got == 0) {
            ended_ = true;
            if (read_ < info_.frames)
                noteDamage(path_, missingAfter(), "the file ends early: " + missingFramesText(missingAfter(), info_.frames));
        }
        return static_cast<std::size_t>(got);
    }

private:
    std::int64_t missingAfter() const { return info_.frames > 0 ? std::max<std::int64_t>(0, info_.frames - read_) : -1; }

    std::string path_;
    // Closed also when the constructor throws (a damaged file found after opening).
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file_{nullptr, sf_close};
    AudioInfo info_;
    AudioMetadata metadata_;
    std::int64_t read_ = 0;
    bool ended_ = false;
};

class SndfileWriter : public AudioWriter {
public:
    SndfileWriter(int fd, const std::string& path, const OutputFormat& format, int sampleRate, int channels)
        : path_(path), channels_(channels), bits_(integerBits(format.encoding)), encoding_(format.encoding),
          isWav_(format.container == Container::Wav) {
        SF_INFO sfinfo{};
        sfinfo.samplerate = sampleRate;
        sfinfo.channels = channels;
        sfinfo.format = sndfileFormat(format);
        if (!sf_format_check(&sfinfo))
            throw processingError(containerName(format.container) + " cannot hold " + encodingName(format.encoding) +
                                  " at " + std::to_string(sampleRate) + " Hz");
        std::string reason;
        file_ = openWithLibsndfile(fd, path, SFM_WRITE, sfinfo, reason);
        if (!file_) throw processingError(path + ": cannot write (" + reason + ")");
    }
    ~SndfileWriter() override {
        if (file_) sf_close(file_);
    }

    std::vector<std::string> setMetadata(const AudioMetadata& metadata) override {
        std::vector<std::string> dropped;
        for (const auto& [name, value] : metadata.tags) {
            const auto field = std::find_if(std::begin(kTagFields), std::end(kTagFields),
                                            [&](const auto& f) { return name == f.second; });
            if (field == std::end(kTagFields) || sf_set_string(file_, field->first, value.c_str()) != 0)
                dropped.push_back(name);
        }
        if (metadata.broadcast && !writeBroadcast(file_, *metadata.broadcast)) dropped.push_back("broadcast extension");
        chunks_ = metadata.chunks;  // libsndfile reads them when it writes the header
        for (auto& c : chunks_) {
            SF_CHUNK_INFO info{};
            std::memcpy(info.id, c.id.data(), 4);
            info.id_size = 4;
            info.datalen = static_cast<unsigned>(c.data.size());
            info.data = c.data.data();
            if (!isWav_ || sf_set_chunk(file_, &info) != SF_ERR_NO_ERROR) dropped.push_back(chunkName(c.id));
        }
        return dropped;
    }

    void updateBroadcast(const BroadcastExtension& bext) override {
        if (!writeBroadcast(file_, bext)) throw processingError(path_ + ": could not update the broadcast extension");
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
                ints_[i] =
                    static_cast<std::int32_t>(std::clamp(std::nearbyint(interleaved[i] * scale), -scale, scale - 1)) *
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
    bool isWav_;
    std::vector<MetadataChunk> chunks_;
    std::vector<std::int32_t> ints_;
    std::vector<float> floats_;
};

}  // namespace

std::unique_ptr<AudioReader> openAudioReader(const std::string& path, bool acceptDamage) {
    return std::make_unique<SndfileReader>(openInputFile(path), path, acceptDamage);
}

std::unique_ptr<AudioReader> openAudioReader(FileDescriptor fd, const std::string& name, bool acceptDamage) {
    return std::make_unique<SndfileReader>(fd, name, acceptDamage);
}

std::unique_ptr<AudioWriter> createAudioWriter(int fd, const std::string& name, const OutputFormat& format,
                                               int sampleRate, int channels) {
    return std::make_unique<SndfileWriter>(fd, name, format, sampleRate, channels);
}

}  // namespace zarpacli
