// Moving metadata from the source to the master.
#include "cli/metadata_carrier.h"

#include <algorithm>

namespace zarpacli {

MetadataCarrier::MetadataCarrier(const AudioMetadata& source, bool strip, int sampleRate, int bits, int channels,
                                 const std::string& historyText) {
    if (strip) return;
    metadata_ = source;
    if (metadata_.broadcast) {
        std::string& history = metadata_.broadcast->codingHistory;
        if (!history.empty() && history.back() != '\n') history += "\r\n";
        history += codingHistoryLine(sampleRate, bits, channels, historyText);
    }
}

void MetadataCarrier::begin(AudioWriter& writer) {
    kept_.clear();
    dropped_.clear();
    if (metadata_.empty()) return;
    dropped_ = writer.setMetadata(metadata_);
    for (const std::string& name : metadata_.names())
        if (std::find(dropped_.begin(), dropped_.end(), name) == dropped_.end()) kept_.push_back(name);
    broadcastKept_ = metadata_.broadcast && std::find(kept_.begin(), kept_.end(), "broadcast extension") != kept_.end();
}

void MetadataCarrier::finish(AudioWriter& writer, const LevelFigures& output, const TimelineSummary& timeline) {
    if (!broadcastKept_ || metadata_.broadcast->version < 2) return;
    describeLoudness(*metadata_.broadcast,
                     {output.integratedLufs, output.loudnessRangeLu, decibels(output.truePeak),
                      timeline.outputMaxMomentary, timeline.outputMaxShortTerm});
    writer.updateBroadcast(*metadata_.broadcast);
}

}  // namespace zarpacli
