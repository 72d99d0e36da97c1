// Reading and writing audio files behind one interface: libsndfile on Linux, our own WAV code in the
// Windows build. Samples travel as interleaved doubles, 1.0 being digital full scale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/audio_format.h"
#include "cli/file_access.h"
#include "cli/audio_metadata.h"

namespace zarpacli {

// What a cut or damaged input lacks, as far as its reader can tell.
struct InputDamage {
    bool found = false;
    std::int64_t missingFrames = -1;  // -1: unknown
    std::string what;                 // for people: "the file is cut: 4160 of 4410 frames are missing"
};

class AudioReader {
public:
    virtual ~AudioReader() = default;
    virtual const AudioInfo& info() const = 0;
    // Reads up to `frames` frames; returns how many were read (0 at the end). Throws a processing
    // CliError when the file cannot be decoded, or is cut short and damage is not accepted.
    virtual std::size_t read(double* interleaved, std::size_t frames) = 0;
    // The tags and chunks read when the file was opened (none where the back end reads none).
    virtual const AudioMetadata& metadata() const { return noMetadata_; }
    // The damage found so far (with acceptDamage; without it, damage is an error).
    const InputDamage& damage() const { return damage_; }

protected:
    explicit AudioReader(bool acceptDamage = false) : acceptDamage_(acceptDamage) {}
    // Records damage of the file `name`; throws a processing CliError unless damage is accepted.
    void noteDamage(const std::string& name, std::int64_t missingFrames, const std::string& what);
    InputDamage damage_;

private:
    bool acceptDamage_;
    AudioMetadata noMetadata_;
};

// Writes samples that are already on the grid of the encoding (see OutputQuantizer), so that the
// integer conversion is exact.
class AudioWriter {
public:
    virtual ~AudioWriter() = default;
    virtual void write(const double* interleaved, std::size_t frames) = 0;
    // Before the first write: stores what the file can hold and returns the names of what it cannot.
    virtual std::vector<std::string> setMetadata(const AudioMetadata& metadata) { return metadata.names(); }
    // Before close: replaces the broadcast extension given to setMetadata (its loudness figures are
    // known only once the audio is written).
    virtual void updateBroadcast(const BroadcastExtension& bext) { (void)bext; }
    // Finishes the file; throws a processing CliError when that fails.
    virtual void close() = 0;
};

// Throws a processing CliError with a message that names the path and the reason. "-" is standard input.
// A cut or damaged file is an error unless `acceptDamage` (--allow-truncated): then what is there is read
// and damage() says what is missing.
std::unique_ptr<AudioReader> openAudioReader(const std::string& path, bool acceptDamage = false);
// Reads an already open file from its start (see duplicateFromStart); `name` names it in messages.
std::unique_ptr<AudioReader> openAudioReader(FileDescriptor fd, const std::string& name, bool acceptDamage = false);

// "4160 of 4410 frames are missing" and the like, for damage messages.
std::string missingFramesText(std::int64_t missing, std::int64_t expected);
// Writes into an open descriptor (see PendingOutput); `name` is the output's name for messages.
std::unique_ptr<AudioWriter> createAudioWriter(int fd, const std::string& name, const OutputFormat& format,
                                               int sampleRate, int channels);

}  // namespace zarpacli
