// Carries the input's metadata into the rendered file: the tags and chunks before the first sample,
// and at the end the broadcast extension once more, with a line of coding history for the render and,
// in version 2, the loudness figures of the master as written.
#pragma once

#include <string>
#include <vector>

#include "cli/audio_file.h"
#include "cli/level_meter.h"
#include "cli/render_timeline.h"

namespace zarpacli {

class MetadataCarrier {
public:
    // historyText: what the coding history line names as the process ("OKA Zarpa, program Default").
    MetadataCarrier(const AudioMetadata& source, bool strip, int sampleRate, int bits, int channels,
                    const std::string& historyText);
    void begin(AudioWriter& writer);
    void finish(AudioWriter& writer, const LevelFigures& output, const TimelineSummary& timeline);

    const std::vector<std::string>& kept() const { return kept_; }
    const std::vector<std::string>& dropped() const { return dropped_; }

private:
    AudioMetadata metadata_;
    std::vector<std::string> kept_, dropped_;
    bool broadcastKept_ = false;
};

}  // namespace zarpacli
