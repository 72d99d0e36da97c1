// A small RIFF/WAVE reader and writer of our own, for builds without libsndfile (Windows). Reads PCM
// 8/16/24/32-bit and 32/64-bit float, plain or WAVE_FORMAT_EXTENSIBLE; writes 16/24-bit PCM and 32-bit float.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/audio_file.h"
#include "cli/file_access.h"

namespace zarpacli {

class WavReader : public AudioReader {
public:
    // Reads the open file (from its current position, normally the start); `path` names it in messages.
    // Throws a processing CliError.
    // A data chunk cut short is an error unless `acceptDamage`.
    WavReader(FileDescriptor fd, const std::string& path, bool acceptDamage = false);
    ~WavReader() override;
    const AudioInfo& info() const override { return info_; }
    const AudioMetadata& metadata() const override { return metadata_; }
    std::size_t read(double* interleaved, std::size_t frames) override;

private:
    void parseHeader();
    void readTrailingChunks(std::int64_t dataStart, std::uint32_t dataSize);
    AudioMetadata metadata_;
    std::string path_;
    std::FILE* file_ = nullptr;
    AudioInfo info_;
    int bytesPerSample_ = 0;
    std::int64_t framesLeft_ = 0;
    std::vector<unsigned char> raw_;
};

class WavWriter : public AudioWriter {
public:
    // Writes into the open descriptor fd (which stays open); `path` names it in messages.
    // encoding: Pcm16, Pcm24 or Float32.
    WavWriter(int fd, const std::string& path, Encoding encoding, int sampleRate, int channels);
    ~WavWriter() override;
    void write(const double* interleaved, std::size_t frames) override;
    std::vector<std::string> setMetadata(const AudioMetadata& metadata) override;
    void updateBroadcast(const BroadcastExtension& bext) override;
    void close() override;

private:
    void writeHeader(std::uint32_t dataBytes);
    AudioMetadata metadata_;  // what the header carries between format and data
    std::vector<unsigned char> metadataChunks_;
    void fail(const std::string& what);
    std::string path_;
    std::FILE* file_ = nullptr;
    Encoding encoding_;
    int sampleRate_;
    int channels_;
    int bytesPerSample_;
    std::uint64_t dataBytes_ = 0;
    std::size_t headerBytes_ = 0;
    std::vector<unsigned char> raw_;
};

}  // namespace zarpacli
