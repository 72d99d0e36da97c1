// Formatting of the render and analysis reports.
#include "cli/report.h"

#include <cmath>
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
           ", \"duration_s\": " + jsonNumber(f.durationSeconds, 6) + ", \"frames\": " + std::to_string(f.frames) +
           ", \"non_finite_samples\": " + std::to_string(f.nonFiniteSamples) + "}";
}

std::string channelPeaksText(const LevelFigures& f) {
    std::string out;
    for (double peak : f.channelPeaks) out += padded(signedFixed(decibels(peak), 2), 8);
    return out;
}

// A momentary or short-term maximum; "--" when the audio was shorter than the window (400 ms or 3 s).
std::string loudnessOrDashes(double lufs) { return std::isinf(lufs) && lufs < 0 ? "--" : signedFixed(lufs, 1); }

// One row of the dynamics table: per-channel peaks, largest momentary and short-term loudness, PLR.
std::string dynamicsRow(const std::string& what, const LevelFigures& f, double momentary, double shortTerm) {
    return "  " + what + std::string(10 - what.size(), ' ') + channelPeaksText(f) + " dBFS" +
           padded(loudnessOrDashes(momentary), 9) + padded(loudnessOrDashes(shortTerm), 12) + " LUFS" +
           padded(fixed(peakToLoudnessRatio(f), 1), 8) + " dB\n";
}

std::string dynamicsHeader(int channels) {
    std::string peaks = channels == 1 ? "    peak" : "  peak L  peak R";
    return "            " + peaks + "       max momentary / short-term     PLR\n";
}

std::string gainReductionText(const GainReductionFigures& g) {
    if (!g.measured) return "not known (Power off or Calibrate on)";
    return "gain reduction largest " + fixed(g.largestDb, 2) + " dB, average " + fixed(g.averageDb, 2) + " dB; " +
           fixed(100.0 * g.limitingShare, 1) + "% of the time limiting";
}

std::string metadataText(const RenderReport& r) {
    if (r.metadataStripped) return "stripped (--strip-metadata)";
    std::string s = r.metadataKept.empty() ? "none in the input" : "kept " + joined(r.metadataKept);
    if (!r.metadataDropped.empty()) s += "; the output cannot hold " + joined(r.metadataDropped);
    return s;
}

std::string gainReductionJson(const GainReductionFigures& g) {
    if (!g.measured) return "null";
    return "{\"largest_db\": " + jsonNumber(g.largestDb, 3) + ", \"average_db\": " + jsonNumber(g.averageDb, 3) +
           ", \"limiting_share\": " + jsonNumber(g.limitingShare, 4) + "}";
}

std::string jsonStrings(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ", ") + jsonString(item);
    return "[" + out + "]";
}

std::string dynamicsJson(const LevelFigures& f, double momentary, double shortTerm) {
    std::string peaks;
    for (double p : f.channelPeaks) peaks += (peaks.empty() ? "" : ", ") + jsonNumber(decibels(p), 3);
    return "\"channel_peaks_dbfs\": [" + peaks + "], \"max_momentary_lufs\": " + jsonNumber(momentary, 2) +
           ", \"max_short_term_lufs\": " + jsonNumber(shortTerm, 2) +
           ", \"plr_db\": " + jsonNumber(peakToLoudnessRatio(f), 2);
}

}  // namespace

double peakToLoudnessRatio(const LevelFigures& f) { return decibels(f.truePeak) - f.integratedLufs; }

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

// The damage of an input read with --allow-truncated, for the text reports.
std::string damageLine(const InputDamage& d) {
    return d.found ? "  warning   the input is damaged (" + d.what + "); what is there was used\n" : "";
}

std::string nonFiniteLine(const std::string& side, const LevelFigures& f) {
    if (f.nonFiniteSamples == 0) return "";
    return "  warning   the " + side + " holds " + std::to_string(f.nonFiniteSamples) +
           " samples that are no numbers (NaN or infinite), measured as silence\n";
}

std::string damageJson(const InputDamage& d) {
    if (!d.found) return "null";
    return "{\"missing_frames\": " + (d.missingFrames < 0 ? std::string("null") : std::to_string(d.missingFrames)) +
           ", \"what\": " + jsonString(d.what) + "}";
}

std::string renderReportText(const RenderReport& r) {
    std::string s = "zarpa: " + r.inputPath + " -> " + r.outputPath + "\n";
    s += "  plug-in   " + r.effectName + ", program \"" + r.program + "\", latency " + std::to_string(r.latency) +
         " samples (" + (r.latencyKept ? "kept" : "compensated") + ")" + (r.usedDouble ? ", 64-bit entry" : "") + "\n";
    s += "  file      " + r.pluginPath + "\n";
    for (const auto& a : r.settings)
        s += "  set       " + a.name + " = " + a.display + "  (" + a.requested + " -> " + shortNumber(a.value) + ")\n";
    s += "  audio     " + std::to_string(r.sampleRate) + " Hz, " + channelsText(r.channels) + ", " +
         fixed(r.input.durationSeconds, 3) + " s; " + r.inputFormat + " -> " + r.outputFormat + "\n";
    s += "  written   " + conversionText(r) + "\n";
    if (!r.wordLength.empty() && r.warnings.empty()) s += "  dither    " + r.wordLength + "\n";
    for (const std::string& w : r.warnings) s += "  warning   " + w + "\n";
    s += damageLine(r.inputDamage) + nonFiniteLine("input", r.input) + nonFiniteLine("output", r.output);
    s += r.deliveryText;
    s += "  metadata  " + metadataText(r) + "\n";
    s += figuresHeader() + figuresRow("input", r.input) + figuresRow("output", r.output);
    const TimelineSummary& t = r.timeline;
    s += dynamicsHeader(r.channels) + dynamicsRow("input", r.input, t.inputMaxMomentary, t.inputMaxShortTerm) +
         dynamicsRow("output", r.output, t.outputMaxMomentary, t.outputMaxShortTerm);
    s += "  limiter   " + gainReductionText(t.gainReduction) + "\n";
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
    const TimelineSummary& t = r.timeline;
    return "{\n  \"input\": {\"path\": " + jsonString(r.inputPath) + ", \"format\": " + jsonString(r.inputFormat) +
           ", \"truncated\": " + damageJson(r.inputDamage) + ", \"figures\": " + figuresJson(r.input) + ", " +
           dynamicsJson(r.input, t.inputMaxMomentary, t.inputMaxShortTerm) +
           "},\n  \"output\": {\"path\": " + jsonString(r.outputPath) + ", \"format\": " + jsonString(r.outputFormat) +
           ", \"conversion\": " + jsonString(conversionText(r)) +
           ", \"rounded_samples\": " + std::to_string(r.roundedSamples) +
           ", \"clipped_samples\": " + std::to_string(r.clippedSamples) + ", \"figures\": " + figuresJson(r.output) +
           ", " + dynamicsJson(r.output, t.outputMaxMomentary, t.outputMaxShortTerm) +
           "},\n  \"gain_reduction\": " + gainReductionJson(t.gainReduction) +
           ",\n  \"metadata\": {\"kept\": " + jsonStrings(r.metadataKept) +
           ", \"dropped\": " + jsonStrings(r.metadataDropped) +
           ", \"stripped\": " + (r.metadataStripped ? "true" : "false") + "}," +
           "\n  \"plugin_file\": " + jsonString(r.pluginPath) +
           ",\n  \"sample_rate\": " + std::to_string(r.sampleRate) +
           ",\n  \"channels\": " + std::to_string(r.channels) + ",\n  \"plugin\": " + jsonString(r.effectName) +
           ",\n  \"program\": " + jsonString(r.program) + ",\n  \"settings\": [" + settings +
           "],\n  \"latency_samples\": " + std::to_string(r.latency) +
           ",\n  \"latency_compensated\": " + (r.latencyKept ? "false" : "true") +
           ",\n  \"double_precision\": " + (r.usedDouble ? "true" : "false") +
           ",\n  \"elapsed_s\": " + jsonNumber(r.seconds, 3) +
           ",\n  \"speed_x_realtime\": " + jsonNumber(speedOf(r), 1) +
           ",\n  \"word_length\": " + (r.wordLength.empty() ? std::string("null") : jsonString(r.wordLength)) +
           ",\n  \"warnings\": [" + warnings +
           "],\n  \"delivery\": " + (r.deliveryJson.empty() ? std::string("null") : r.deliveryJson) + "\n}\n";
}

std::string analysisText(const FileAnalysis& a) {
    return a.path + ": " + a.format + ", " + std::to_string(a.sampleRate) + " Hz, " + channelsText(a.channels) + ", " +
           fixed(a.figures.durationSeconds, 3) + " s\n" + damageLine(a.damage) + nonFiniteLine("file", a.figures) + figuresHeader() + figuresRow("", a.figures);
}

std::string analysisJson(const FileAnalysis& a) {
    return "{\"path\": " + jsonString(a.path) + ", \"format\": " + jsonString(a.format) +
           ", \"sample_rate\": " + std::to_string(a.sampleRate) + ", \"channels\": " + std::to_string(a.channels) +
           ", \"truncated\": " + damageJson(a.damage) + ", \"figures\": " + figuresJson(a.figures) + "}";
}

}  // namespace zarpacli
