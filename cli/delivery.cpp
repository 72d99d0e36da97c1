// Meeting a ceiling and a loudness target by choosing Output and Drive, and the word-length plan.
#include "cli/delivery.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli/cli_error.h"
#include "cli/drive_search.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

// Loudness accepted around the target: half the ±0.1 LU promised, so that another meter's rounding
// does not turn a met target into a missed one.
constexpr double kLoudnessTolerance = 0.05;
// Output is set this far under what the last pass says would just meet the ceiling: the level of the
// limited signal scales exactly with Output, the dither added after it does not.
constexpr double kOutputMargin = 0.01;
// A lossy encoder's peaks move a little with the level it is given.
constexpr double kLossyOutputMargin = 0.05;
constexpr int kMaxCeilingPasses = 8;
constexpr int kMaxTargetPasses = 12;
constexpr std::size_t kMeasureFrames = 65536;

// One parameter of the rendering instance, set and read by its displayed value.
class Knob {
public:
    Knob(PluginSession& session, const char* name) : session_(session), index_(session.catalog().find(name)) {}

    std::string text() const { return trim(session_.instance().paramDisplay(index_)); }
    double value() const { return parseDisplayNumber(text()).value_or(NAN); }
    double low() const { return std::min(info().low, info().high); }
    double high() const { return std::max(info().low, info().high); }

    // Sets the displayed value nearest to v within the range; returns the value now shown.
    double set(double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.6f%s", std::clamp(v, low(), high()), info().label.c_str());
        apply(text);
        return value();
    }
    // Sets a step by its text ("on", "16"); true when that changed the step.
    bool setStep(const std::string& step) {
        if (text() == step) return false;
        apply(step);
        return true;
    }

private:
    const ParameterInfo& info() const { return session_.catalog().info(index_); }
    void apply(const std::string& text) {
        session_.instance().setParameter(index_, session_.catalog().resolve(index_, text));
    }
    PluginSession& session_;
    int index_;
};

std::string decibelText(double v) { return signedFixed(v, 2) + " dB"; }
std::string lufsText(double v) { return signedFixed(v, 1) + " LUFS"; }

double peakOf(const LevelFigures& f, const Ceiling& c) { return decibels(c.truePeak ? f.truePeak : f.samplePeak); }
std::string peakName(const Ceiling& c) { return c.truePeak ? "true peak" : "sample peak"; }
std::string peakText(double v, const Ceiling& c) { return signedFixed(v, 2) + (c.truePeak ? " dBTP" : " dBFS"); }

LevelFigures measureFile(int fd, const std::string& name) {
    auto reader = openAudioReader(duplicateFromStart(fd, name), name);
    const AudioInfo& info = reader->info();
    LevelMeter meter(info.channels, info.sampleRate);
    std::vector<double> block(kMeasureFrames * static_cast<std::size_t>(info.channels));
    while (std::size_t n = reader->read(block.data(), kMeasureFrames)) meter.add(block.data(), n);
    return meter.figures();
}

// One pass: the held input from its start through the freshly reset plug-in into the file. The output
// figures are those of the file: the values written (on the file's grid), or for a lossy file what
// decoding it gives back.
RenderOutcome renderPass(HeldAudio& input, PluginSession& session, int fd, const std::string& name,
                         const OutputFormat& format, OutputQuantizer& quantizer, const RenderSettings& settings,
                         bool first) {
    input.rewind();
    RenderSettings pass = settings;
    pass.measureInput = first;  // the input is the same every pass
    if (!first) pass.framesRead = nullptr;  // a batch's progress counts each input once
    if (!first) session.instance().dispatch(effStopProcess);
    session.start();
    quantizer = OutputQuantizer(format.encoding);
    const AudioInfo& info = input.info();
    truncateFile(fd, name);
    auto writer = createAudioWriter(fd, name, format, info.sampleRate, info.channels);
    RenderOutcome outcome = renderAudio(input, session, *writer, quantizer, pass);
    writer->close();
    if (quantizer.isLossy()) outcome.output = measureFile(fd, name);
    return outcome;
}

std::string figuresAt(const DeliveryPass& p, const Ceiling& c) {
    return "Drive " + decibelText(p.driveDb) + ", Output " + decibelText(p.outputDb) + ": " + peakName(c) + " " +
           peakText(peakOf(p.figures, c), c) + ", " + lufsText(p.figures.integratedLufs);
}

}  // namespace

std::optional<Ceiling> parseCeiling(const std::string& text) {
    const std::string t = lowered(trim(text));
    for (const auto& [unit, truePeak] : {std::pair{"dbtp", true}, std::pair{"dbfs", false}}) {
        const std::string u = unit;
        if (t.size() <= u.size() || t.compare(t.size() - u.size(), u.size(), u) != 0) continue;
        const std::string number = trim(t.substr(0, t.size() - u.size()));
        char* end = nullptr;
        const double v = std::strtod(number.c_str(), &end);
        if (number.empty() || end != number.c_str() + number.size() || !std::isfinite(v)) return std::nullopt;
        return Ceiling{v, truePeak};
    }
    return std::nullopt;
}

std::string ceilingText(const Ceiling& c) { return peakText(c.decibels, c); }

WordLength prepareWordLength(PluginSession& session, const OutputFormat& format, const AudioInfo& input, bool dither) {
    WordLength w;
    Knob quantize(session, "Quantize"), bits(session, "Bits"), shape(session, "NoiseShape");
    const int fileBits = integerBits(format.encoding);
    // A float, lossy or longer integer source holds more than the file: reducing it calls for dither.
    const bool longerSource = input.isFloat || input.bits == 0 || input.bits > fileBits;
    const bool dithering = dither && fileBits > 0 && longerSource;
    if (dithering) {
        quantize.setStep("on");
        bits.setStep(std::to_string(fileBits));
    }
    if (quantize.text() != "on") return w;

    const std::string pluginBits = bits.text();
    const std::string shaping = shape.text() == "off" ? "no noise shaping" : "noise shaping " + shape.text();
    w.summary = std::string(dithering ? "dithered" : "requantized as the program sets it") + " to " + pluginBits +
                " bits by the plug-in's requantizer (TPDF dither, " + shaping + ")";
    if (fileBits == 0)
        w.warnings.push_back("the program requantizes to " + pluginBits + " bits, but the file is " +
                             encodingName(format.encoding) +
                             ": it holds the requantized signal, not the full word length (--set Quantize=off "
                             "keeps it)");
    else if (std::atoi(pluginBits.c_str()) < fileBits)
        w.warnings.push_back("the plug-in requantizes to " + pluginBits + " bits: the " + std::to_string(fileBits) +
                             "-bit file holds " + pluginBits + "-bit audio (--set Bits=" + std::to_string(fileBits) +
                             " uses the whole word)");
    return w;
}

DeliveryResult renderToGoal(HeldAudio& input, PluginSession& session, int fd, const std::string& name,
                            const OutputFormat& format, OutputQuantizer& quantizer, const RenderSettings& settings,
                            const DeliveryGoal& goal) {
    DeliveryResult r;
    r.ceiling = goal.ceiling.value_or(kTargetCeiling);
    r.targetLufs = goal.targetLufs;
    const Ceiling& c = r.ceiling;

    Knob output(session, "Output"), drive(session, "Drive");
    // AutoOut would set the output gain from Drive instead of Output.
    if (Knob(session, "AutoOut").setStep("off")) r.changes.push_back("AutoOut off");
    // The limiter then also catches the peaks half-way between samples: fewer passes, less lowering.
    if (c.truePeak && Knob(session, "Oversample").setStep("on")) r.changes.push_back("Oversample on");

    const double margin = isLossy(format.encoding) ? kLossyOutputMargin : kOutputMargin;
    double out = output.set(c.decibels);
    double drv = drive.value();
    DriveSearch search(drive.low(), drive.high(), kLoudnessTolerance);
    const int maxPasses = goal.targetLufs ? kMaxTargetPasses : kMaxCeilingPasses;
    const std::string aim = goal.targetLufs ? lufsText(*goal.targetLufs) + " with the ceiling " + ceilingText(c)
                                            : "the ceiling " + ceilingText(c);

    for (int pass = 1;; ++pass) {
        const RenderOutcome outcome = renderPass(input, session, fd, name, format, quantizer, settings, pass == 1);
        const LevelFigures& f = outcome.output;
        r.passes.push_back({drv, out, f});
        const LevelFigures inputFigures = pass == 1 ? outcome.input : r.outcome.input;
        r.outcome = outcome;
        r.outcome.input = inputFigures;
        r.seconds += outcome.seconds;

        const double peak = peakOf(f, c);
        const double over = peak - c.decibels;
        bool loudnessMet = true;
        if (goal.targetLufs) {
            if (!std::isfinite(f.integratedLufs))
                throw processingError("cannot reach " + aim +
                                      ": the render has no measurable loudness (silent, or shorter than 0.4 s)");
            loudnessMet = std::fabs(f.integratedLufs - *goal.targetLufs) <= kLoudnessTolerance;
        }
        if (over <= 0.0 && loudnessMet) return r;
        if (pass >= maxPasses)
            throw processingError("cannot meet " + aim + " within " + std::to_string(maxPasses) +
                                  " passes; the last gave " + figuresAt(r.passes.back(), c));

        // Output lowered until the peak sits just under the ceiling. It is never raised again: below the
        // limiter's threshold a raised Output would undo what a lowered Drive does to the loudness.
        double nextOut = out;
        if (over > 0.0) nextOut = std::clamp(out - over - margin, output.low(), output.high());
        // A lowered Output that left the peak where it was: the limiter is not what sets the output.
        if (over > 0.0 && r.passes.size() >= 2) {
            const DeliveryPass& before = r.passes[r.passes.size() - 2];
            if (before.outputDb - out > 0.0 && peakOf(before.figures, c) - peak < (before.outputDb - out) / 2)
                throw processingError("cannot meet the ceiling " + ceilingText(c) +
                                      ": lowering Output does not lower the " + peakName(c) + " (" + peakText(peak, c) +
                                      "); is Power off or Calibrate on?");
        }
        if (over > 0.0 && nextOut >= out)
            throw processingError("cannot meet the ceiling " + ceilingText(c) + ": at the lowest Output (" +
                                  decibelText(out) + ") the " + peakName(c) + " is " + peakText(peak, c) +
                                  (goal.targetLufs ? "" : "; a lower Drive (--set Drive=...) lowers it further"));
        if (goal.targetLufs) {
            // Output moves the loudness by as much as it moves the level.
            search.add(drv, f.integratedLufs + (nextOut - out) - *goal.targetLufs);
            const std::optional<double> nextDrive = search.next();
            if (!nextDrive)
                throw processingError("cannot reach " + aim + ": at " +
                                      (f.integratedLufs < *goal.targetLufs ? "the most" : "the least") + " Drive (" +
                                      decibelText(drv) + ") the file measures " +
                                      lufsText(f.integratedLufs + (nextOut - out)));
            drv = drive.set(*nextDrive);
        }
        out = output.set(nextOut);
    }
}

std::string deliveryText(const DeliveryResult& r) {
    const Ceiling& c = r.ceiling;
    std::string s = "  delivery  ceiling " + ceilingText(c);
    if (r.targetLufs) s += ", target " + lufsText(*r.targetLufs);
    for (const std::string& change : r.changes) s += "; " + change;
    s += "\n";
    for (std::size_t i = 0; i < r.passes.size(); ++i)
        s +=
            "  pass " + std::to_string(i + 1) + std::string(i + 1 < 10 ? 5 : 4, ' ') + figuresAt(r.passes[i], c) + "\n";
    const DeliveryPass& last = r.passes.back();
    s += "  result    " + std::to_string(r.passes.size()) + (r.passes.size() == 1 ? " pass" : " passes") + ": Drive " +
         decibelText(last.driveDb) + ", Output " + decibelText(last.outputDb) + "; true peak " +
         signedFixed(decibels(last.figures.truePeak), 2) + " dBTP, sample peak " +
         signedFixed(decibels(last.figures.samplePeak), 2) + " dBFS, " + lufsText(last.figures.integratedLufs) +
         ", range " + fixed(last.figures.loudnessRangeLu, 1) + " LU\n";
    return s;
}

std::string deliveryJson(const DeliveryResult& r) {
    const DeliveryPass& last = r.passes.back();
    std::string changes, passes;
    for (const std::string& change : r.changes) changes += (changes.empty() ? "" : ", ") + jsonString(change);
    for (const DeliveryPass& p : r.passes)
        passes += std::string(passes.empty() ? "" : ", ") + "{\"drive_db\": " + jsonNumber(p.driveDb, 4) +
                  ", \"output_db\": " + jsonNumber(p.outputDb, 4) +
                  ", \"true_peak_dbtp\": " + jsonNumber(decibels(p.figures.truePeak), 3) +
                  ", \"sample_peak_dbfs\": " + jsonNumber(decibels(p.figures.samplePeak), 3) +
                  ", \"integrated_lufs\": " + jsonNumber(p.figures.integratedLufs, 2) + "}";
    return "{\"ceiling\": " + jsonNumber(r.ceiling.decibels, 3) +
           ", \"ceiling_unit\": " + jsonString(r.ceiling.truePeak ? "dBTP" : "dBFS") +
           ", \"target_lufs\": " + (r.targetLufs ? jsonNumber(*r.targetLufs, 2) : std::string("null")) +
           ", \"passes\": " + std::to_string(r.passes.size()) + ", \"drive_db\": " + jsonNumber(last.driveDb, 4) +
           ", \"output_db\": " + jsonNumber(last.outputDb, 4) +
           ", \"true_peak_dbtp\": " + jsonNumber(decibels(last.figures.truePeak), 3) +
           ", \"sample_peak_dbfs\": " + jsonNumber(decibels(last.figures.samplePeak), 3) +
           ", \"integrated_lufs\": " + jsonNumber(last.figures.integratedLufs, 2) +
           ", \"loudness_range_lu\": " + jsonNumber(last.figures.loudnessRangeLu, 2) + ", \"changes\": [" + changes +
           "], \"elapsed_s\": " + jsonNumber(r.seconds, 3) + ", \"pass_list\": [" + passes + "]}";
}

}  // namespace zarpacli
