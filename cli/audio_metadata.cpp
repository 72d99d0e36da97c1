// Naming and updating metadata.
#include "cli/audio_metadata.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zarpacli {

namespace {

// Silence measures minus infinity; the field's lowest value stands for it.
std::int16_t hundredths(double v) {
    if (std::isnan(v)) v = -HUGE_VAL;
    return static_cast<std::int16_t>(std::clamp(v * 100.0, -32768.0, 32767.0));
}

}  // namespace

std::vector<std::string> AudioMetadata::names() const {
    std::vector<std::string> out;
    for (const auto& [name, value] : tags) out.push_back(name);
    if (broadcast) out.push_back("broadcast extension");
    for (const auto& c : chunks) out.push_back(chunkName(c.id));
    return out;
}

bool isKeptChunkId(const std::string& id) {
    return std::any_of(std::begin(kKeptChunkIds), std::end(kKeptChunkIds), [&](const char* k) { return id == k; });
}

std::string chunkName(const std::string& id) {
    std::string name = id;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name + " chunk";
}

void describeLoudness(BroadcastExtension& bext, const MeasuredLoudness& m) {
    if (bext.version < 2) return;
    bext.loudnessValue = hundredths(m.integratedLufs);
    bext.loudnessRange = hundredths(m.loudnessRangeLu);
    bext.maxTruePeakLevel = hundredths(m.truePeakDb);
    bext.maxMomentaryLoudness = hundredths(m.maxMomentaryLufs);
    bext.maxShortTermLoudness = hundredths(m.maxShortTermLufs);
}

std::string codingHistoryLine(int sampleRate, int bits, int channels, const std::string& text) {
    std::string line = "A=PCM,F=" + std::to_string(sampleRate);
    if (bits > 0) line += ",W=" + std::to_string(bits);
    line += std::string(",M=") + (channels == 1 ? "mono" : "stereo") + ",T=" + text + "\r\n";
    return line;
}

}  // namespace zarpacli
