// The reports zarpa prints: readable text for people, JSON for scripts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/audio_file.h"
#include "cli/level_meter.h"
#include "cli/render_timeline.h"

namespace zarpacli {

// A --set as the plug-in took it.
struct AppliedSetting {
    std::string name;
    std::string requested;  // the text given on the command line
    float value = 0.0f;     // the normalised value set
    std::string display;    // the plug-in's display and label afterwards
};

struct RenderReport {
    std::string inputPath, outputPath;
    std::string inputFormat, outputFormat;
    std::string effectName, program;
    std::string pluginPath;  // the plug-in file that rendered
    std::vector<AppliedSetting> settings;
    int sampleRate = 0;
    int channels = 0;
    int latency = 0;
    bool latencyKept = false;
    bool usedDouble = false;
    LevelFigures input, output;
    InputDamage inputDamage;  // with --allow-truncated: what the input lacked
    double seconds = 0.0;
    std::int64_t roundedSamples = 0, clippedSamples = 0;
    bool lossyOutput = false;
    int outputBits = 0;  // integer word length, 0 for float or lossy
    std::string wordLength;             // how the plug-in requantized, "" when it did not
    std::vector<std::string> warnings;  // word lengths that do not fit the file
    std::string deliveryText, deliveryJson;  // a ceiling or loudness target met; "" without one
    TimelineSummary timeline;  // gain reduction, largest momentary and short-term loudness
    std::vector<std::string> metadataKept, metadataDropped;
    bool metadataStripped = false;
};

// Peak-to-loudness ratio: true peak (dBTP) minus integrated loudness (LUFS).
double peakToLoudnessRatio(const LevelFigures& f);

struct FileAnalysis {
    std::string path, format;
    int sampleRate = 0;
    int channels = 0;
    LevelFigures figures;
    InputDamage damage;
};

double speedOf(const RenderReport& r);  // × realtime
std::string conversionText(const RenderReport& r);

std::string renderReportText(const RenderReport& r);
std::string renderReportJson(const RenderReport& r);
std::string analysisText(const FileAnalysis& a);
std::string analysisJson(const FileAnalysis& a);

}  // namespace zarpacli
