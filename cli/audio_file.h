// Reading and writing audio files behind one interface: libsndfile on Linux, our own WAV code in the
// Windows build. Samples travel as interleaved doubles, 1.0 being digital full scale.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "cli/audio_format.h"

namespace zarpacli {

class AudioReader {
public:
    virtual ~AudioReader() = default;
    virtual const AudioInfo& info() const = 0;
    // Reads up to `frames` frames; returns how many were read (0 at the end). Throws a processing
    // CliError when the file cannot be decoded.
    virtual std::size_t read(double* interleaved, std::size_t frames) = 0;
};

// Writes samples that are already on the grid of the encoding (see OutputQuantizer), so that the
// integer conversion is exact.
class AudioWriter {
public:
    virtual ~AudioWriter() = default;
    virtual void write(const double* interleaved, std::size_t frames) = 0;
    // Finishes the file; throws a processing CliError when that fails.
    virtual void close() = 0;
};

// Throws a processing CliError with a message that names the path and the reason.
std::unique_ptr<AudioReader> openAudioReader(const std::string& path);
std::unique_ptr<AudioWriter> createAudioWriter(const std::string& path, const OutputFormat& format, int sampleRate,
                                               int channels);

// Why a file cannot be opened for reading ("no such file", "is a directory", the system's reason),
// or "" when it can.
std::string unreadableReason(const std::string& path);

}  // namespace zarpacli
