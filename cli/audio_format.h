// What an audio file holds and how the rendered file is written: container, sample encoding, and the
// rules that pick them from the output's name and the --format / --bits options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zarpacli {

// Ogg holds Vorbis; Opus is an Ogg stream of Opus packets, named apart because it has its own extension.
enum class Container { Wav, Aiff, Flac, Ogg, W64, Caf, Opus, Mp3 };
enum class Encoding { Pcm16, Pcm24, Float32, Vorbis, Opus, Mp3 };

struct OutputFormat {
    Container container = Container::Wav;
    Encoding encoding = Encoding::Pcm24;
};

// An opened input file as the renderer sees it.
struct AudioInfo {
    int sampleRate = 0;
    int channels = 0;
    std::int64_t frames = 0;
    std::string formatName;  // e.g. "WAV 16-bit"
    int bits = 0;            // 8, 16, 24, 32 or 64; 0 for lossy or other encodings
    bool isFloat = false;
};

// Integer word length of an encoding: 16 or 24; 0 for float and lossy encodings.
int integerBits(Encoding encoding);
// Whether the encoder changes the samples it is given (the file decodes to something else).
bool isLossy(Encoding encoding);
std::string encodingName(Encoding encoding);  // "16-bit", "24-bit", "32-bit float", "Vorbis", "Opus", "Layer III"
std::string containerName(Container container);

std::optional<Container> containerFromName(const std::string& name);  // "wav", "aiff", "flac", ...
std::optional<Container> containerFromPath(const std::string& path);  // by the file name's extension
// Whether this build can write the container (the Windows build writes WAV only).
bool canWriteContainer(Container container);
// The sample rates an Opus stream can be written at; the encoder takes no other.
bool opusTakesRate(int sampleRate);

// Picks the output format. formatOption and bitsOption are the raw option texts ("" when absent).
// Without --bits the input's word length is kept where the container can hold it (else 24 bits).
// Throws a usage CliError for an unknown or impossible combination (Opus at a rate it cannot take).
OutputFormat chooseOutputFormat(const std::string& outPath, const std::string& formatOption,
                                const std::string& bitsOption, const AudioInfo& input);

}  // namespace zarpacli
