// The audio back end of the Windows build, where libsndfile is not available: WAV files only.
#include "cli/audio_file.h"
#include "cli/cli_error.h"
#include "cli/wav_file.h"

namespace zarpacli {

std::unique_ptr<AudioReader> openAudioReader(const std::string& path) { return std::make_unique<WavReader>(path); }

std::unique_ptr<AudioWriter> createAudioWriter(const std::string& path, const OutputFormat& format, int sampleRate,
                                               int channels) {
    if (format.container != Container::Wav) throw processingError("this build writes WAV files only");
    return std::make_unique<WavWriter>(path, format.encoding, sampleRate, channels);
}

}  // namespace zarpacli
