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
        default: return encoding != Encoding::Vorbis;
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
    Encoding wanted = Encoding::Pcm24;
    if (!input.isFloat && input.bits > 0 && input.bits <= 16) wanted = Encoding::Pcm16;
    if (input.isFloat) wanted = Encoding::Float32;
    return containerHolds(container, wanted) ? wanted : Encoding::Pcm24;
}

}  // namespace

int integerBits(Encoding encoding) {
    switch (encoding) {
        case Encoding::Pcm16: return 16;
        case Encoding::Pcm24: return 24;
        default: return 0;
    }
}

std::string encodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Pcm16: return "16-bit";
        case Encoding::Pcm24: return "24-bit";
        case Encoding::Float32: return "32-bit float";
        case Encoding::Vorbis: return "Vorbis";
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

OutputFormat chooseOutputFormat(const std::string& outPath, const std::string& formatOption,
                                const std::string& bitsOption, const AudioInfo& input) {
    OutputFormat format;
    if (!formatOption.empty()) {
        auto c = containerFromName(formatOption);
        if (!c) throw usageError("unknown format '" + formatOption + "' (use wav, aiff, flac, ogg, w64 or caf)");
        format.container = *c;
    } else {
        auto c = containerFromPath(outPath);
        if (!c)
            throw usageError("cannot tell the output format from '" + outPath +
                             "'; name it .wav, .aiff, .flac, .ogg, .w64 or .caf, or give --format");
        format.container = *c;
    }
    if (!canWriteContainer(format.container))
        throw usageError("this build writes WAV only, not " + containerName(format.container));

    if (bitsOption.empty()) {
        format.encoding = defaultEncoding(format.container, input);
        return format;
    }
    if (format.container == Container::Ogg) throw usageError("Ogg Vorbis has no bit depth; leave out --bits");
    auto e = encodingFromBits(bitsOption);
    if (!e) throw usageError("unknown bit depth '" + bitsOption + "' (use 16, 24 or 32 for 32-bit float)");
    if (!containerHolds(format.container, *e))
        throw usageError(containerName(format.container) + " cannot hold " + encodingName(*e) + " samples");
    format.encoding = *e;
    return format;
}

}  // namespace zarpacli
