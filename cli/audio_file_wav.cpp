// The audio back end of the Windows build, where libsndfile is not available: WAV files only.
#include "cli/audio_file.h"
#include "cli/cli_error.h"
#include "cli/wav_file.h"

namespace zarpacli {

std::unique_ptr<AudioReader> openAudioReader(const std::string& path, bool acceptDamage) {
    return std::make_unique<WavReader>(openInputFile(path), path, acceptDamage);
}

std::unique_ptr<AudioReader> openAudioReader(FileDescriptor fd, const std::string& name, bool acceptDamage) {
    return std::make_unique<WavReader>(std::move(fd), name, acceptDamage);
}

std::unique_ptr<AudioWriter> createAudioWriter(int fd, const std::string& name, const OutputFormat& format,
                                               int sampleRate, int channels) {
    if (format.container != Container::Wav) throw processingError("this build writes WAV files only");
    return std::make_unique<WavWriter>(fd, name, format.encoding, sampleRate, channels);
}

}  // namespace zarpacli
