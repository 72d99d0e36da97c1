// The subcommands: render, demo, analyze, presets, params, info.
#include "cli/commands.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/audio_file.h"
#include "cli/batch_render.h"
#include "cli/cli_error.h"
#include "cli/delivery.h"
#include "cli/demo_signal.h"
#include "cli/file_access.h"
#include "cli/held_audio.h"
#include "cli/help_text.h"
#include "cli/interrupt.h"
#include "cli/level_meter.h"
#include "cli/metadata_carrier.h"
#include "cli/output_quantizer.h"
#include "cli/pending_output.h"
#include "cli/plugin_session.h"
#include "cli/plugin_settings.h"
#include "cli/render_plot.h"
#include "cli/renderer.h"
#include "cli/report.h"
#include "cli/text_util.h"
#include "cli/user_settings_isolation.h"

namespace zarpacli {

namespace {

// The sample rates the plug-in honours; outside them it would silently compute at 44100 Hz.
constexpr int kLowestRate = 5000;
constexpr int kHighestRate = 200000;
constexpr std::size_t kAnalyzeBlock = 8192;
constexpr const char* kDemoProgram = "CD Master 1";
constexpr const char* kDemoOutput = "zarpa-demo.wav";

void print(const std::string& text) { std::fputs(text.c_str(), stdout); }

void checkRenderable(const std::string& name, const AudioInfo& info) {
    if (info.channels < 1 || info.channels > 2)
        throw processingError(name + " has " + std::to_string(info.channels) +
                              " channels; zarpa renders mono and stereo files");
    if (info.sampleRate < kLowestRate || info.sampleRate > kHighestRate)
        throw processingError(name + " has a sample rate of " + std::to_string(info.sampleRate) +
                              " Hz; the plug-in works from " + std::to_string(kLowestRate) + " to " +
                              std::to_string(kHighestRate) + " Hz");
}

// The files a render writes besides the audio: each new (or --force), none an input or another output.
void checkSideOutputs(const Options& o, const std::string& outPath, const std::vector<std::string>& inputs) {
    const std::pair<const char*, const std::string*> sides[] = {
        {"--save-chunk", &o.saveChunk}, {"--report", &o.reportFile}, {"--plot", &o.plotFile}};
    std::vector<std::pair<std::string, std::string>> taken = {{"the output", outPath}};
    for (const auto& [option, path] : sides) {
        if (path->empty()) continue;
        for (const auto& [otherName, other] : taken)
            if (samePath(*path, other) || (isStandardStream(*path) && isStandardStream(other)))
                throw usageError(std::string(option) + " and " + otherName + " name the same file");
        checkOutputPath(*path, o.force, inputs);
        taken.emplace_back(option, *path);
    }
}

std::vector<std::string> settingFiles(const Options& o) {
    return {o.settings.chunkFile, o.settings.bankFile, o.settings.presetFile};
}

// Everything a render does once the source is open; shared by render, demo and batches. Returns the
// report; prints only warnings.
RenderReport renderFrom(const Options& o, AudioReader& source, const std::string& inputName,
                        const std::string& outPath, std::vector<std::string> inputs,
                        std::atomic<std::int64_t>* framesRead = nullptr) {
    const AudioInfo& info = source.info();
    checkRenderable(inputName, info);
    const OutputFormat format = chooseOutputFormat(outPath, o.format, o.bits, info);
    checkOutputPath(outPath, o.force, inputs);
    checkSideOutputs(o, outPath, inputs);

    PluginSession session({o.pluginPath, info.sampleRate, o.blockSize, info.channels == 1});
    RenderReport report;
    report.settings = applySettings(session, o.settings);
    report.program = session.currentProgramName();
    report.effectName = session.instance().effectName();
    const WordLength wordLength = prepareWordLength(session, format, info, !o.noDither);
    report.wordLength = wordLength.summary;
    report.warnings = wordLength.warnings;
    if (o.json || o.quiet)  // else the report shows them
        for (const std::string& w : report.warnings) std::fprintf(stderr, "zarpa: warning: %s\n", w.c_str());
    report.pluginPath = session.pluginPath();

    PendingOutput audioOut(outPath, o.force);
    OutputQuantizer quantizer(format.encoding);
    MetadataCarrier metadata(source.metadata(), o.stripMetadata, info.sampleRate, integerBits(format.encoding),
                             info.channels, report.effectName + ", program " + report.program);
    RenderSettings settings{o.blockSize, o.useDouble, o.keepLatency, !o.quiet && !framesRead, &metadata, framesRead};
    RenderOutcome outcome;
    DeliveryGoal goal;
    if (!o.ceiling.empty()) goal.ceiling = parseCeiling(o.ceiling);
    goal.targetLufs = o.targetLufs;
    if (goal.any()) {
        HeldAudio held(source, o.useDouble);
        const DeliveryResult delivered =
            renderToGoal(held, session, audioOut.fd(), outPath, format, quantizer, settings, goal);
        outcome = delivered.outcome;
        outcome.seconds = delivered.seconds;
        report.deliveryText = deliveryText(delivered);
        report.deliveryJson = deliveryJson(delivered);
    } else {
        session.start();
        auto writer = createAudioWriter(audioOut.fd(), outPath, format, info.sampleRate, info.channels);
        outcome = renderAudio(source, session, *writer, quantizer, settings);
        writer->close();
    }
    // The state rendered with, the renderer's own choices included.
    std::optional<PendingOutput> chunkOut;
    if (!o.saveChunk.empty()) {
        chunkOut.emplace(o.saveChunk, o.force);
        chunkOut->writeAll(session.chunk().bytes());
    }
    audioOut.commit();
    if (chunkOut) chunkOut->commit();

    report.inputPath = inputName;
    report.outputPath = outPath;
    report.inputFormat = info.formatName;
    report.outputFormat = containerName(format.container) + " " + encodingName(format.encoding);
    report.sampleRate = info.sampleRate;
    report.channels = info.channels;
    report.latency = outcome.latency;
    report.latencyKept = o.keepLatency;
    report.usedDouble = o.useDouble;
    report.input = outcome.input;
    report.inputDamage = source.damage();
    report.output = outcome.output;
    report.seconds = outcome.seconds;
    report.roundedSamples = quantizer.roundedSamples();
    report.clippedSamples = quantizer.clippedSamples();
    report.lossyOutput = quantizer.isLossy();
    report.outputBits = integerBits(format.encoding);
    report.timeline = outcome.timeline->summary();
    report.metadataKept = metadata.kept();
    report.metadataDropped = metadata.dropped();
    report.metadataStripped = o.stripMetadata;
    if (!report.metadataDropped.empty() && !o.quiet)
        std::fprintf(stderr, "zarpa: warning: %s cannot hold the input's %s\n", outPath.c_str(),
                     joined(report.metadataDropped).c_str());
    if (!o.plotFile.empty()) {
        PlotMarks marks;
        if (goal.any()) {
            const Ceiling ceiling = goal.ceiling.value_or(kTargetCeiling);
            marks.ceilingDb = ceiling.decibels;
            marks.ceilingTruePeak = ceiling.truePeak;
        }
        marks.targetLufs = goal.targetLufs;
        writeRenderPlot(o.plotFile, *outcome.timeline,
                        inputName + " -> " + outPath + "   (" + report.effectName + ", program " + report.program + ")",
                        marks, o.force);
    }
    if (!o.reportFile.empty()) {
        const std::string json = renderReportJson(report);
        writeFileAtomically(o.reportFile, std::vector<unsigned char>(json.begin(), json.end()), o.force);
    }
    return report;
}

int printReport(const Options& o, const RenderReport& report) {
    // With the audio (or a side output) on standard output, the report goes to standard error.
    const bool stdoutTaken = isStandardStream(report.outputPath) || isStandardStream(o.saveChunk) ||
                             isStandardStream(o.reportFile) || isStandardStream(o.plotFile);
    std::FILE* to = stdoutTaken ? stderr : stdout;
    if (o.json) std::fputs(renderReportJson(report).c_str(), to);
    else if (!o.quiet) std::fputs(renderReportText(report).c_str(), to);
    return kExitOk;
}

}  // namespace

// Several inputs into --outdir, side by side; each report as its file is done, then the summary.
int runBatchRender(const Options& o) {
    const std::vector<BatchItem> items =
        planBatch(o.files, o.outDir, o.format, {o.saveChunk, o.reportFile, o.plotFile}, o.force);
    std::error_code ec;
    std::filesystem::create_directories(o.outDir, ec);
    if (ec) throw processingError("cannot create the folder " + o.outDir + " (" + ec.message() + ")");

    // The expected length of the whole batch, for the progress line; unreadable files fail in their turn.
    std::int64_t totalFrames = 0;
    int rate = 44100;
    for (const BatchItem& item : items) try {
            const auto reader = openAudioReader(item.input, true);
            totalFrames += reader->info().frames;
            rate = reader->info().sampleRate;
        } catch (const CliError&) {
        }
    std::vector<std::string> inputs = settingFiles(o);
    inputs.insert(inputs.end(), o.files.begin(), o.files.end());
    const RenderOne render = [&](const BatchItem& item, std::atomic<std::int64_t>& framesRead) {
        Options each = o;
        each.saveChunk = item.sides.saveChunk;
        each.reportFile = item.sides.report;
        each.plotFile = item.sides.plot;
        const auto reader = openAudioReader(item.input, o.allowTruncated);
        return renderFrom(each, *reader, item.input, item.output, inputs, &framesRead);
    };
    const BatchResult result = runBatch(items, o.jobs.value_or(defaultJobs()), render, !o.quiet, totalFrames, rate,
                                        [&](const BatchResult& r, std::size_t i) {
                                            if (!r.reports[i]) std::fprintf(stderr, "zarpa: %s\n", r.errors[i].c_str());
                                            else if (!o.json && !o.quiet) print(renderReportText(*r.reports[i]));
                                        });
    if (o.json) print(batchJson(items, result, o.outDir));
    else if (!o.quiet) print(batchSummaryText(items, result, o.outDir));
    throwIfInterrupted();
    return result.failures() > 0 ? kExitProcessing : kExitOk;
}

int runRender(const Options& o) {
    if (!o.outDir.empty()) return runBatchRender(o);
    const std::string& in = o.files[0];
    auto reader = openAudioReader(in, o.allowTruncated);
    std::vector<std::string> inputs = settingFiles(o);
    inputs.push_back(in);
    return printReport(o, renderFrom(o, *reader, in, o.files[1], inputs));
}

int runDemo(const Options& o) {
    Options demo = o;
    if (!demo.settings.any()) demo.settings.preset = kDemoProgram;
    if (demo.bits.empty() && demo.format.empty()) demo.bits = "16";  // what "CD Master 1" requantizes to
    DemoSignal source(demo.demoSeconds);
    const std::string out = demo.files.empty() ? kDemoOutput : demo.files[0];
    return printReport(demo, renderFrom(demo, source, "demo (built-in, +6 dBFS peaks)", out, settingFiles(demo)));
}

int runAnalyze(const Options& o) {
    int status = kExitOk;
    std::string json;
    for (const std::string& path : o.files) {
        try {
            auto reader = openAudioReader(path, o.allowTruncated);
            const AudioInfo& info = reader->info();
            if (info.channels < 1 || info.sampleRate < 1) throw processingError(path + ": no audio");
            LevelMeter meter(info.channels, info.sampleRate);
            std::vector<double> buffer(kAnalyzeBlock * info.channels);
            while (std::size_t n = reader->read(buffer.data(), kAnalyzeBlock)) meter.add(buffer.data(), n);
            FileAnalysis a{path, info.formatName, info.sampleRate, info.channels, meter.figures(), reader->damage()};
            if (o.json) json += (json.empty() ? "  " : ",\n  ") + analysisJson(a);
            else if (!o.quiet) print(analysisText(a));
        } catch (const CliError& e) {
            std::fprintf(stderr, "zarpa: %s\n", e.what());
            status = kExitProcessing;
        }
    }
    if (o.json) print("[\n" + json + (json.empty() ? "]\n" : "\n]\n"));
    return status;
}

int runCommand(const Options& o) {
    // Every command that loads the plug-in runs it apart from the user's stored defaults unless asked.
    const bool loadsPlugin =
        o.command != Command::Analyze && o.command != Command::Help && o.command != Command::Version;
    UserSettingsIsolation isolation(loadsPlugin && !o.userSettings);
    switch (o.command) {
        case Command::Render: return runRender(o);
        case Command::Demo: return runDemo(o);
        case Command::Analyze: return runAnalyze(o);
        case Command::Presets: return runPresets(o);
        case Command::Params: return runParams(o);
        case Command::Info: return runInfo(o);
        case Command::Help: print(o.helpTopic ? commandHelp(*o.helpTopic) : usageText()); return kExitOk;
        case Command::Version: print("zarpa 1.0.0\n"); return kExitOk;
    }
    return kExitUsage;
}

}  // namespace zarpacli
