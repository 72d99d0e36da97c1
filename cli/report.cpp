// Formatting of the render and analysis reports.
#include "cli/report.h"

#include <cstdio>

#include "cli/text_util.h"

namespace zarpacli {

namespace {

std::string channelsText(int channels) {
    return channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + " channels";
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// One row of the figures table: sample peak, true peak, integrated loudness, loudness range.
std::string figuresRow(const std::string& what, const LevelFigures& f) {
    return "  " + what + std::string(10 - what.size(), ' ') + padded(signedFixed(decibels(f.samplePeak), 2), 8) +
           " dBFS" + padded(signedFixed(decibels(f.truePeak), 2), 9) + " dBTP" +
           padded(signedFixed(f.integratedLufs, 1), 8) + " LUFS" + padded(fixed(f.loudnessRangeLu, 1), 7) +
           " LU\n";
}

std::string figuresHeader() { return "              sample peak      true peak  integrated   range\n"; }

std::string figuresJson(const LevelFigures& f) {
    return "{\"sample_peak_dbfs\": " + jsonNumber(decibels(f.samplePeak), 3) +
           ", \"true_peak_dbtp\": " + jsonNumber(decibels(f.truePeak), 3) +
           ", \"integrated_lufs\": " + jsonNumber(f.integratedLufs, 2) +
           ", \"loudness_range_lu\": " + jsonNumber(f.loudnessRangeLu, 2) +
           ", \"duration_s\": " + jsonNumber(f.durationSeconds, 6) + ", \"frames\": " + std::to_string(f.frames) + "}";
}

}  // namespace

double speedOf(const RenderReport& r) {
    return r.seconds > 0.0 ? r.input.durationSeconds / r.seconds : 0.0;
}

std::string conversionText(const RenderReport& r) {
    if (r.lossyOutput) return "lossy (" + r.outputFormat + ")";
    std::string text;
    // Exact, but not lossless when the plug-in already cut the word shorter than the file's.
    if (r.roundedSamples == 0 && r.clippedSamples == 0) return r.warnings.empty() ? "lossless" : r.wordLength;
    if (r.roundedSamples > 0) {
        text = std::to_string(r.roundedSamples) + " samples rounded without dither";
        if (r.outputBits > 0)
            text += " (for dithered output: --set Quantize=on --set Bits=" + std::to_string(r.outputBits) + ")";
    }
    if (r.clippedSamples > 0)
        text += (text.empty() ? "" : "; ") + std::to_string(r.clippedSamples) + " samples limited to the file's range";
    return text;
}

std::string renderReportText(const RenderReport& r) {
    std::string s = "zarpa: " + r.inputPath + " -> " + r.outputPath + "\n";
    s += "  plug-in   " + r.effectName + ", program \"" + r.program + "\", latency " + std::to_string(r.latency) +
         " samples (" + (r.latencyKept ? "kept" : "compensated") + ")" + (r.usedDouble ? ", 64-bit entry" : "") + "\n";
    for (const auto& a : r.settings)
        s += "  set       " + a.name + " = " + a.display + "  (" + a.requested + " -> " + shortNumber(a.value) + ")\n";
    s += "  audio     " + std::to_string(r.sampleRate) + " Hz, " + channelsText(r.channels) + ", " +
         fixed(r.input.durationSeconds, 3) + " s; " + r.inputFormat + " -> " + r.outputFormat + "\n";
    s += "  written   " + conversionText(r) + "\n";
    if (!r.wordLength.empty() && r.warnings.empty()) s += "  dither    " + r.wordLength + "\n";
    for (const std::string& w : r.warnings) s += "  warning   " + w + "\n";
    s += r.deliveryText;
    s += figuresHeader() + figuresRow("input", r.input) + figuresRow("output", r.output);
    char speed[64];
    std::snprintf(speed, sizeof speed, "%.1fx realtime (%.2f s)", speedOf(r), r.seconds);
    s += std::string("  speed     ") + speed + "\n";
    return s;
}

std::string renderReportJson(const RenderReport& r) {
    std::string warnings;
    for (const std::string& w : r.warnings) warnings += (warnings.empty() ? "" : ", ") + jsonString(w);
    std::string settings;
    for (const auto& a : r.settings)
        settings += std::string(settings.empty() ? "" : ", ") + "{\"name\": " + jsonString(a.name) +
                    ", \"requested\": " + jsonString(a.requested) + ", \"value\": " + jsonNumber(a.value, 7) +
                    ", \"display\": " + jsonString(a.display) + "}";
    return "{\n  \"input\": {\"path\": " + jsonString(r.inputPath) + ", \"format\": " + jsonString(r.inputFormat) +
           ", \"figures\": " + figuresJson(r.input) + "},\n  \"output\": {\"path\": " + jsonString(r.outputPath) +
           ", \"format\": " + jsonString(r.outputFormat) + ", \"conversion\": " + jsonString(conversionText(r)) +
           ", \"rounded_samples\": " + std::to_string(r.roundedSamples) +
           ", \"clipped_samples\": " + std::to_string(r.clippedSamples) + ", \"figures\": " + figuresJson(r.output) +
           "},\n  \"sample_rate\": " + std::to_string(r.sampleRate) + ",\n  \"channels\": " +
           std::to_string(r.channels) + ",\n  \"plugin\": " + jsonString(r.effectName) + ",\n  \"program\": " +
           jsonString(r.program) + ",\n  \"settings\": [" + settings + "],\n  \"latency_samples\": " +
           std::to_string(r.latency) + ",\n  \"latency_compensated\": " + (r.latencyKept ? "false" : "true") +
           ",\n  \"double_precision\": " + (r.usedDouble ? "true" : "false") + ",\n  \"elapsed_s\": " +
           jsonNumber(r.seconds, 3) + ",\n  \"speed_x_realtime\": " + jsonNumber(speedOf(r), 1) +
           ",\n  \"word_length\": " + (r.wordLength.empty() ? std::string("null") : jsonString(r.wordLength)) +
           ",\n  \"warnings\": [" + warnings + "],\n  \"delivery\": " +
           (r.deliveryJson.empty() ? std::string("null") : r.deliveryJson) + "\n}\n";
}

std::string analysisText(const FileAnalysis& a) {
    return a.path + ": " + a.format + ", " + std::to_string(a.sampleRate) + " Hz, " + channelsText(a.channels) + ", " +
           fixed(a.figures.durationSeconds, 3) + " s\n" + figuresHeader() + figuresRow("", a.figures);
}

std::string analysisJson(const FileAnalysis& a) {
    return "{\"path\": " + jsonString(a.path) + ", \"format\": " + jsonString(a.format) +
           ", \"sample_rate\": " + std::to_string(a.sampleRate) + ", \"channels\": " + std::to_string(a.channels) +
           ", \"figures\": " + figuresJson(a.figures) + "}";
}

}  // namespace zarpacli
