// Cut and damaged inputs: an error unless the user accepts them.
#include "cli/audio_file.h"
#include "cli/cli_error.h"

namespace zarpacli {

void AudioReader::noteDamage(const std::string& name, std::int64_t missingFrames, const std::string& what) {
    if (!acceptDamage_)
        throw processingError(name + ": " + what + " (--allow-truncated renders what is there)");
    if (damage_.found) return;  // the first finding says the most
    damage_ = {true, missingFrames, what};
}

std::string missingFramesText(std::int64_t missing, std::int64_t expected) {
    if (missing < 0) return "an unknown number of frames are missing";
    std::string text = std::to_string(missing);
    if (expected > 0) text += " of " + std::to_string(expected);
    return text + (missing == 1 ? " frame is missing" : " frames are missing");
}

}  // namespace zarpacli
