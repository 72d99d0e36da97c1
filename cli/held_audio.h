// An input decoded once and held in memory, read again for every pass of a delivery search. Held as
// 32-bit floats when the plug-in's 32-bit entry renders it (it would narrow them anyway), which halves
// the memory a long file takes; as doubles for the 64-bit entry.
#pragma once

#include <vector>

#include "cli/audio_file.h"

namespace zarpacli {

class HeldAudio : public AudioReader {
public:
    // Reads the source to its end; throws what the source throws, or a processing CliError when
    // interrupted.
    HeldAudio(AudioReader& source, bool wide);

    const AudioInfo& info() const override { return info_; }
    std::size_t read(double* interleaved, std::size_t frames) override;
    void rewind() { position_ = 0; }

private:
    AudioInfo info_;
    bool wide_;
    std::vector<float> narrow_;
    std::vector<double> samples_;
    std::size_t position_ = 0;  // in samples
};

}  // namespace zarpacli
