// Choosing the rendered file's container and encoding.
#include "cli/audio_format.h"

#include <filesystem>

#include "cli/cli_error.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

bool containerHolds(Container container, Encoding encoding) {
    switch (container) {
        case Container::Flac: return encoding == Encoding::Pcm16 || encoding == Encoding::Pcm24;
        case Container::Ogg: return encoding == Encoding::Vorbis;
        case Container::Opus: return encoding == Encoding::Opus;
        case Container::Mp3: return encoding == Encoding::Mp3;
        default: return !isLossy(encoding);
    }
}

std::optional<Encoding> encodingFromBits(const std::string& bits) {
    std::string b = lowered(bits);
    if (b == "16") return Encoding::Pcm16;
    if (b == "24") return Encoding::Pcm24;
    if (b == "32" || b == "32f" || b == "float") return Encoding::Float32;
    return std::nullopt;
}

// The input's word length where the container can hold it; 24 bits otherwise.
Encoding defaultEncoding(Container container, const AudioInfo& input) {
    if (container == Container::Ogg) return Encoding::Vorbis;
    if (container == Container::Opus) return Encoding::Opus;
    if (container == Container::Mp3) return Encoding::Mp3;
    Encoding wanted = Encoding::Pcm24;
    if (!input.isFloat && input.bits > 0 && input.bits <= 16) wanted = Encoding::Pcm16;
    if (input.isFloat) wanted = Encoding::Float32;
    return containerHolds(container, wanted) ? wanted : Encoding::Pcm24;
}

// "FLAC", or for a container of one lossy encoding both names ("Ogg Opus", "MPEG Layer III").
std::string kindName(Container container, const AudioInfo& input) {
    const Encoding e = defaultEncoding(container, input);
    return isLossy(e) ? containerName(container) + " " + encodingName(e) : containerName(container);
}

}  // namespace

int integerBits(Encoding encoding) {
    switch (encoding) {
        case Encoding::Pcm16: return 16;
        case Encoding::Pcm24: return 24;
        default: return 0;
    }
}

bool isLossy(Encoding encoding) {
    return encoding == Encoding::Vorbis || encoding == Encoding::Opus || encoding == Encoding::Mp3;
}

std::string encodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Pcm16: return "16-bit";
        case Encoding::Pcm24: return "24-bit";
        case Encoding::Float32: return "32-bit float";
        case Encoding::Vorbis: return "Vorbis";
        case Encoding::Opus: return "Opus";
        case Encoding::Mp3: return "Layer III";
    }
    return "?";
}

std::string containerName(Container container) {
    switch (container) {
        case Container::Wav: return "WAV";
        case Container::Aiff: return "AIFF";
        case Container::Flac: return "FLAC";
        case Container::Ogg: return "Ogg";
        case Container::W64: return "W64";
        case Container::Caf: return "CAF";
        case Container::Opus: return "Ogg";
        case Container::Mp3: return "MPEG";
    }
    return "?";
}

std::optional<Container> containerFromName(const std::string& name) {
    std::string n = lowered(name);
    if (n == "wav" || n == "wave") return Container::Wav;
    if (n == "aiff" || n == "aif") return Container::Aiff;
    if (n == "flac") return Container::Flac;
    if (n == "ogg" || n == "oga" || n == "vorbis") return Container::Ogg;
    if (n == "w64") return Container::W64;
    if (n == "caf") return Container::Caf;
    if (n == "opus") return Container::Opus;
    if (n == "mp3") return Container::Mp3;
    return std::nullopt;
}

std::optional<Container> containerFromPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (ext.size() < 2) return std::nullopt;
    return containerFromName(ext.substr(1));
}

bool canWriteContainer(Container container) {
#if defined(_WIN32)
    return container == Container::Wav;
#else
    (void)container;
    return true;
#endif
}

bool opusTakesRate(int sampleRate) {
    for (int rate : {8000, 12000, 16000, 24000, 48000})
        if (sampleRate == rate) return true;
    return false;
}

OutputFormat chooseOutputFormat(const std::string& outPath, const std::string& formatOption,
                                const std::string& bitsOption, const AudioInfo& input) {
    OutputFormat format;
    if (!formatOption.empty()) {
        auto c = containerFromName(formatOption);
        if (!c) throw usageError("unknown format '" + formatOption + "' (use wav, aiff, flac, ogg, opus, mp3, w64 or caf)");
        format.container = *c;
    } else {
        auto c = containerFromPath(outPath);
        if (!c)
            throw usageError("cannot tell the output format from '" + outPath +
                             "'; name it .wav, .aiff, .flac, .ogg, .opus, .mp3, .w64 or .caf, or give --format");
        format.container = *c;
    }
    if (!canWriteContainer(format.container))
        throw usageError("this build writes WAV only, not " + kindName(format.container, input));
    // Opus is written at the input's rate, as every other format (zarpa does not resample).
    if (format.container == Container::Opus && !opusTakesRate(input.sampleRate))
        throw usageError("Opus takes 8000, 12000, 16000, 24000 or 48000 Hz only, and the input is " +
                         std::to_string(input.sampleRate) + " Hz; resample it first or choose another format");

    if (bitsOption.empty()) {
        format.encoding = defaultEncoding(format.container, input);
        return format;
    }
    if (const Encoding lossy = defaultEncoding(format.container, input); isLossy(lossy))
        throw usageError(kindName(format.container, input) + " has no bit depth; leave out --bits");
    auto e = encodingFromBits(bitsOption);
    if (!e) throw usageError("unknown bit depth '" + bitsOption + "' (use 16, 24 or 32 for 32-bit float)");
    if (!containerHolds(format.container, *e))
        throw usageError(containerName(format.container) + " cannot hold " + encodingName(*e) + " samples");
    format.encoding = *e;
    return format;
}

}  // namespace zarpacli
