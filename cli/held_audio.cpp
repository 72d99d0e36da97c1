// Decoding the input once into memory.
#include "cli/held_audio.h"

#include <algorithm>

#include "cli/cli_error.h"
#include "cli/interrupt.h"

namespace zarpacli {

namespace {

constexpr std::size_t kReadFrames = 65536;

}  // namespace

HeldAudio::HeldAudio(AudioReader& source, bool wide) : info_(source.info()), wide_(wide) {
    const std::size_t channels = static_cast<std::size_t>(std::max(1, info_.channels));
    std::vector<double> block(kReadFrames * channels);
    while (std::size_t n = source.read(block.data(), kReadFrames)) {
        if (wide_)
            samples_.insert(samples_.end(), block.begin(), block.begin() + n * channels);
        else
            narrow_.insert(narrow_.end(), block.begin(), block.begin() + n * channels);
        throwIfInterrupted();
    }
    info_.frames = static_cast<std::int64_t>((wide_ ? samples_.size() : narrow_.size()) / channels);
}

std::size_t HeldAudio::read(double* interleaved, std::size_t frames) {
    const std::size_t channels = static_cast<std::size_t>(std::max(1, info_.channels));
    const std::size_t total = wide_ ? samples_.size() : narrow_.size();
    const std::size_t n = std::min(frames * channels, total - position_);
    if (wide_)
        std::copy_n(samples_.begin() + position_, n, interleaved);
    else
        std::copy_n(narrow_.begin() + position_, n, interleaved);
    position_ += n;
    return n / channels;
}

}  // namespace zarpacli
