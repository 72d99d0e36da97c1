// RIFF/WAVE reading and writing, little-endian byte by byte so that it works on any host.
#include "cli/wav_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "cli/cli_error.h"
#include "cli/file_access.h"
#include "cli/wav_metadata.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zarpacli {

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::uint32_t kMaxRiffBytes = 0xFFFFFFFFu;
constexpr std::uint32_t kMaxMetadataChunk = 1u << 20;  // tags and histories are small; more is not metadata

// 64-bit file positions, so that files beyond 2 GiB read on every platform.
std::int64_t tell64(std::FILE* f) {
#if defined(_WIN32)
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}
int seek64(std::FILE* f, std::int64_t offset, int whence) {
#if defined(_WIN32)
    return _fseeki64(f, offset, whence);
#else
    return fseeko(f, offset, whence);
#endif
}

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void put16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

std::string chunkId(const unsigned char* head) { return std::string(reinterpret_cast<const char*>(head), 4); }

bool isMetadataChunk(const unsigned char* head) {
    const std::string id = chunkId(head);
    return id == "LIST" || id == "bext" || isKeptChunkId(id);
}

double decodeSample(const unsigned char* p, int bytes, bool isFloat) {
    if (isFloat) {
        if (bytes == 4) {
            std::uint32_t u = le32(p);
            float f;
            std::memcpy(&f, &u, 4);
            return f;
        }
        std::uint64_t u = std::uint64_t(le32(p)) | std::uint64_t(le32(p + 4)) << 32;
        double d;
        std::memcpy(&d, &u, 8);
        return d;
    }
    switch (bytes) {
        case 1: return (p[0] - 128) / 128.0;
        case 2: return static_cast<std::int16_t>(le16(p)) / 32768.0;
        case 3: {
            std::int32_t v = static_cast<std::int32_t>(std::uint32_t(p[0]) << 8 | std::uint32_t(p[1]) << 16 |
                                                       std::uint32_t(p[2]) << 24);
            return (v / 256) / 8388608.0;
        }
        default: return static_cast<std::int32_t>(le32(p)) / 2147483648.0;
    }
}

int duplicate(int fd) {
#if defined(_WIN32)
    return _dup(fd);
#else
    return dup(fd);
#endif
}

// A buffered stream on the descriptor, which it takes over.
std::FILE* streamOf(FileDescriptor fd, const char* mode, const std::string& name) {
#if defined(_WIN32)
    std::FILE* f = fd.valid() ? _fdopen(fd.get(), mode) : nullptr;
#else
    std::FILE* f = fd.valid() ? fdopen(fd.get(), mode) : nullptr;
#endif
    if (!f) throw processingError(name + ": " + std::strerror(errno));
    fd.release();
    return f;
}

}  // namespace

WavReader::WavReader(FileDescriptor fd, const std::string& path, bool acceptDamage)
    : AudioReader(acceptDamage), path_(path) {
    file_ = streamOf(std::move(fd), "rb", path);
    try {
        parseHeader();
    } catch (...) {
        std::fclose(file_);
        throw;
    }
}

WavReader::~WavReader() {
    if (file_) std::fclose(file_);
}

void WavReader::parseHeader() {
    auto notWav = [&](const std::string& why) {
        return processingError(path_ + ": not an audio file zarpa can read (" + why + ")");
    };
    unsigned char riff[12];
    if (std::fread(riff, 1, 12, file_) != 12 || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        throw notWav("this build reads WAV files only");

    bool haveFormat = false;
    std::uint16_t tag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
    std::uint32_t sampleRate = 0;
    for (;;) {
        unsigned char head[8];
        if (std::fread(head, 1, 8, file_) != 8) throw notWav("no data chunk");
        std::uint32_t size = le32(head + 4);
        if (std::memcmp(head, "fmt ", 4) == 0) {
            if (size < 16 || size > 1024) throw notWav("bad format chunk");
            std::vector<unsigned char> fmt(size + (size & 1));
            if (std::fread(fmt.data(), 1, fmt.size(), file_) != fmt.size()) throw notWav("truncated format chunk");
            tag = le16(&fmt[0]);
            channels = le16(&fmt[2]);
            sampleRate = le32(&fmt[4]);
            blockAlign = le16(&fmt[12]);
            bitsPerSample = le16(&fmt[14]);
            if (tag == kTagExtensible) {
                if (size < 40) throw notWav("bad extensible format chunk");
                tag = le16(&fmt[24]);  // the first two bytes of the sub-format GUID
            }
            haveFormat = true;
        } else if (std::memcmp(head, "data", 4) == 0) {
            if (!haveFormat) throw notWav("data before format");
            const bool isFloat = tag == kTagFloat;
            if (tag != kTagPcm && tag != kTagFloat) throw notWav("compressed WAV encoding " + std::to_string(tag));
            const bool pcmOk = !isFloat && (bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 ||
                                            bitsPerSample == 32);
            const bool floatOk = isFloat && (bitsPerSample == 32 || bitsPerSample == 64);
            if (!pcmOk && !floatOk) throw notWav(std::to_string(bitsPerSample) + "-bit samples");
            bytesPerSample_ = bitsPerSample / 8;
            if (channels == 0 || blockAlign != channels * bytesPerSample_) throw notWav("inconsistent block size");
            info_.sampleRate = static_cast<int>(std::min<std::uint32_t>(sampleRate, 0x7FFFFFFF));
            info_.channels = channels;
            info_.bits = bitsPerSample;
            info_.isFloat = isFloat;
            info_.formatName = "WAV " + std::to_string(bitsPerSample) + "-bit" + (isFloat ? " float" : "");
            // A data size beyond the end of the file counts only the frames that are there: a streaming
            // writer's 0xFFFFFFFF ("until the end"), or a cut file, which is damage.
            std::int64_t here = tell64(file_);
            seek64(file_, 0, SEEK_END);
            std::int64_t end = tell64(file_);
            seek64(file_, here, SEEK_SET);
            std::uint64_t present = end > here ? static_cast<std::uint64_t>(end - here) : 0;
            framesLeft_ = static_cast<std::int64_t>(std::min<std::uint64_t>(size, present) / blockAlign);
            info_.frames = framesLeft_;
            if (present > size) readTrailingChunks(here, size);
            if (size != 0xFFFFFFFFu && size >= present + blockAlign) {
                const auto missing = static_cast<std::int64_t>((size - present) / blockAlign);
                noteDamage(path_, missing, "the file is cut: " + missingFramesText(missing, info_.frames + missing));
            }
            return;
        } else if (size <= kMaxMetadataChunk && isMetadataChunk(head)) {
            std::vector<unsigned char> data(size);
            if (std::fread(data.data(), 1, size, file_) != size)
                throw notWav("truncated " + std::string(chunkId(head)) + " chunk");
            if (size & 1) seek64(file_, 1, SEEK_CUR);
            readWavMetadataChunk(chunkId(head), data, metadata_);
        } else {
            if (seek64(file_, std::int64_t(size) + (size & 1), SEEK_CUR) != 0) throw notWav("no data chunk");
        }
    }
}

// Tags are often written after the audio; they are read once, and reading goes back to the data.
void WavReader::readTrailingChunks(std::int64_t dataStart, std::uint32_t dataSize) {
    if (seek64(file_, dataStart + std::int64_t(dataSize) + (dataSize & 1), SEEK_SET) != 0) return;
    unsigned char head[8];
    while (std::fread(head, 1, 8, file_) == 8) {
        const std::uint32_t size = le32(head + 4);
        if (size <= kMaxMetadataChunk && isMetadataChunk(head)) {
            std::vector<unsigned char> data(size);
            if (std::fread(data.data(), 1, size, file_) != size) break;
            readWavMetadataChunk(chunkId(head), data, metadata_);
            if (size & 1) seek64(file_, 1, SEEK_CUR);
        } else if (seek64(file_, std::int64_t(size) + (size & 1), SEEK_CUR) != 0) {
            break;
        }
    }
    std::clearerr(file_);
    seek64(file_, dataStart, SEEK_SET);
}

std::size_t WavReader::read(double* interleaved, std::size_t frames) {
    std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(framesLeft_, static_cast<std::int64_t>(frames)));
    const std::size_t frameBytes = static_cast<std::size_t>(bytesPerSample_) * info_.channels;
    raw_.resize(want * frameBytes);
    std::size_t got = want ? std::fread(raw_.data(), frameBytes, want, file_) : 0;
    if (got < want && std::ferror(file_)) throw processingError(path_ + ": read failed (" + std::strerror(errno) + ")");
    if (got < want) noteDamage(path_, framesLeft_ - static_cast<std::int64_t>(got), "the file ends early");
    for (std::size_t i = 0; i < got * info_.channels; ++i)
        interleaved[i] = decodeSample(&raw_[i * bytesPerSample_], bytesPerSample_, info_.isFloat);
    framesLeft_ -= static_cast<std::int64_t>(got);
    if (got < want) framesLeft_ = 0;
    return got;
}

WavWriter::WavWriter(int fd, const std::string& path, Encoding encoding, int sampleRate, int channels)
    : path_(path), encoding_(encoding), sampleRate_(sampleRate), channels_(channels),
      bytesPerSample_(encoding == Encoding::Pcm16 ? 2 : encoding == Encoding::Pcm24 ? 3 : 4) {
    if (isLossy(encoding)) throw processingError("WAV cannot hold " + encodingName(encoding));
    file_ = streamOf(FileDescriptor(duplicate(fd)), "wb", path);
    writeHeader(0);
}

WavWriter::~WavWriter() {
    if (file_) std::fclose(file_);
}

// The header: RIFF, fmt (16 bytes), for float a fact chunk, the metadata chunks, then data.
void WavWriter::writeHeader(std::uint32_t dataBytes) {
    const bool isFloat = encoding_ == Encoding::Float32;
    std::vector<unsigned char> h;
    auto chunk = [&](const char* id, std::uint32_t size) {
        h.insert(h.end(), id, id + 4);
        h.resize(h.size() + 4);
        put32(&h[h.size() - 4], size);
    };
    const std::uint32_t frames = dataBytes / static_cast<std::uint32_t>(bytesPerSample_ * channels_);
    const std::size_t headerRest = (isFloat ? 4 + 24 + 12 + 8 : 4 + 24 + 8) + metadataChunks_.size();
    chunk("RIFF", static_cast<std::uint32_t>(headerRest + dataBytes + (dataBytes & 1)));
    h.insert(h.end(), {'W', 'A', 'V', 'E'});
    chunk("fmt ", 16);
    h.resize(h.size() + 16);
    unsigned char* f = &h[h.size() - 16];
    put16(f, isFloat ? kTagFloat : kTagPcm);
    put16(f + 2, static_cast<std::uint16_t>(channels_));
    put32(f + 4, static_cast<std::uint32_t>(sampleRate_));
    put32(f + 8, static_cast<std::uint32_t>(sampleRate_ * bytesPerSample_ * channels_));
    put16(f + 12, static_cast<std::uint16_t>(bytesPerSample_ * channels_));
    put16(f + 14, static_cast<std::uint16_t>(bytesPerSample_ * 8));
    if (isFloat) {
        chunk("fact", 4);
        h.resize(h.size() + 4);
        put32(&h[h.size() - 4], frames);
    }
    h.insert(h.end(), metadataChunks_.begin(), metadataChunks_.end());
    chunk("data", dataBytes);
    headerBytes_ = h.size();
    if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(h.data(), 1, h.size(), file_) != h.size())
        fail("write failed");
}

std::vector<std::string> WavWriter::setMetadata(const AudioMetadata& metadata) {
    if (dataBytes_ > 0) fail("metadata comes before the audio");
    std::vector<std::string> dropped;
    metadata_ = metadata;
    metadata_.tags.clear();
    for (const auto& tag : metadata.tags) {
        if (wavHoldsTag(tag.first)) metadata_.tags.push_back(tag);
        else dropped.push_back(tag.first);
    }
    metadataChunks_ = wavMetadataChunks(metadata_);
    writeHeader(0);
    return dropped;
}

void WavWriter::updateBroadcast(const BroadcastExtension& bext) {
    metadata_.broadcast = bext;
    std::vector<unsigned char> chunks = wavMetadataChunks(metadata_);
    // The audio follows the header, so the header may change its bytes but not its length.
    if (chunks.size() != metadataChunks_.size()) fail("the broadcast extension changed its length");
    metadataChunks_ = std::move(chunks);
}

void WavWriter::fail(const std::string& what) {
    throw processingError(path_ + ": " + what + (errno ? std::string(" (") + std::strerror(errno) + ")" : ""));
}

void WavWriter::write(const double* interleaved, std::size_t frames) {
    if (!file_) fail("file already closed");
    const std::size_t n = frames * static_cast<std::size_t>(channels_);
    if (dataBytes_ + n * bytesPerSample_ + headerBytes_ > kMaxRiffBytes) fail("a WAV file cannot hold more than 4 GiB");
    raw_.resize(n * bytesPerSample_);
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char* p = &raw_[i * bytesPerSample_];
        if (encoding_ == Encoding::Float32) {
            float f = static_cast<float>(interleaved[i]);
            std::uint32_t u;
            std::memcpy(&u, &f, 4);
            put32(p, u);
            continue;
        }
        const double scale = encoding_ == Encoding::Pcm16 ? 32768.0 : 8388608.0;
        auto v = static_cast<std::int32_t>(std::clamp(std::nearbyint(interleaved[i] * scale), -scale, scale - 1));
        auto u = static_cast<std::uint32_t>(v);
        p[0] = static_cast<unsigned char>(u);
        p[1] = static_cast<unsigned char>(u >> 8);
        if (bytesPerSample_ == 3) p[2] = static_cast<unsigned char>(u >> 16);
    }
    errno = 0;
    if (std::fwrite(raw_.data(), 1, raw_.size(), file_) != raw_.size()) fail("write failed");
    dataBytes_ += raw_.size();
}

void WavWriter::close() {
    if (!file_) return;
    errno = 0;
    if (dataBytes_ & 1) {
        unsigned char pad = 0;
        if (std::fwrite(&pad, 1, 1, file_) != 1) fail("write failed");
    }
    writeHeader(static_cast<std::uint32_t>(dataBytes_));
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) fail("could not finish the file");
}

}  // namespace zarpacli
