// The subcommands: render, demo, analyze, presets, params, info.
#include "cli/commands.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/audio_file.h"
#include "cli/cli_error.h"
#include "cli/demo_signal.h"
#include "cli/level_meter.h"
#include "cli/output_quantizer.h"
#include "cli/pending_output.h"
#include "cli/plugin_session.h"
#include "cli/plugin_settings.h"
#include "cli/renderer.h"
#include "cli/report.h"
#include "cli/text_util.h"

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

std::vector<std::string> settingFiles(const Options& o) {
    return {o.settings.chunkFile, o.settings.bankFile, o.settings.presetFile};
}

// Everything a render does once the source is open; shared by render and demo.
int renderFrom(const Options& o, AudioReader& source, const std::string& inputName, const std::string& outPath,
               std::vector<std::string> inputs) {
    const AudioInfo& info = source.info();
    checkRenderable(inputName, info);
    const OutputFormat format = chooseOutputFormat(outPath, o.format, o.bits, info);
    checkOutputPath(outPath, o.force, inputs);
    if (!o.saveChunk.empty()) {
        if (samePath(o.saveChunk, outPath)) throw usageError("--save-chunk and the output name the same file");
        checkOutputPath(o.saveChunk, o.force, inputs);
    }

    PluginSession session({o.pluginPath, info.sampleRate, o.blockSize, info.channels == 1});
    RenderReport report;
    report.settings = applySettings(session, o.settings);
    report.program = session.currentProgramName();
    report.effectName = session.instance().effectName();

    std::optional<PendingOutput> chunkOut;
    if (!o.saveChunk.empty()) {
        chunkOut.emplace(o.saveChunk);
        chunkOut->writeAll(session.chunk().bytes());
    }

    session.start();
    PendingOutput audioOut(outPath);
    auto writer = createAudioWriter(audioOut.tempPath(), format, info.sampleRate, info.channels);
    OutputQuantizer quantizer(format.encoding);
    RenderSettings settings{o.blockSize, o.useDouble, o.keepLatency, !o.quiet};
    const RenderOutcome outcome = renderAudio(source, session, *writer, quantizer, settings);
    writer->close();
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
    report.output = outcome.output;
    report.seconds = outcome.seconds;
    report.roundedSamples = quantizer.roundedSamples();
    report.clippedSamples = quantizer.clippedSamples();
    report.lossyOutput = quantizer.isLossy();
    report.outputBits = integerBits(format.encoding);
    if (o.json) print(renderReportJson(report));
    else if (!o.quiet) print(renderReportText(report));
    return kExitOk;
}

std::string flagNames(int flags) {
    const std::pair<int, const char*> names[] = {{effFlagsHasEditor, "HasEditor"},
                                                 {effFlagsCanReplacing, "CanReplacing"},
                                                 {effFlagsProgramChunks, "ProgramChunks"},
                                                 {effFlagsIsSynth, "IsSynth"},
                                                 {effFlagsNoSoundInStop, "NoSoundInStop"},
                                                 {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
    std::string text;
    for (const auto& [bit, name] : names)
        if (flags & bit) text += (text.empty() ? "" : " ") + std::string(name);
    return text;
}

std::string fourCC(std::int32_t id) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

std::string hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

std::string categoryName(VstIntPtr category) {
    static const char* names[] = {"unknown", "effect",   "synth",      "analysis",        "mastering", "spacializer",
                                  "room fx", "surround fx", "restoration", "offline process", "shell",     "generator"};
    return category >= 0 && category < 12 ? names[category] : "category " + std::to_string(category);
}

}  // namespace

int runRender(const Options& o) {
    installInterruptHandler();
    const std::string& in = o.files[0];
    auto reader = openAudioReader(in);
    std::vector<std::string> inputs = settingFiles(o);
    inputs.push_back(in);
    return renderFrom(o, *reader, in, o.files[1], inputs);
}

int runDemo(const Options& o) {
    installInterruptHandler();
    Options demo = o;
    if (!demo.settings.any()) demo.settings.preset = kDemoProgram;
    if (demo.bits.empty() && demo.format.empty()) demo.bits = "16";  // what "CD Master 1" requantizes to
    DemoSignal source(demo.demoSeconds);
    const std::string out = demo.files.empty() ? kDemoOutput : demo.files[0];
    return renderFrom(demo, source, "demo (built-in, +6 dBFS peaks)", out, settingFiles(demo));
}

int runAnalyze(const Options& o) {
    int status = kExitOk;
    std::string json;
    for (const std::string& path : o.files) {
        try {
            auto reader = openAudioReader(path);
            const AudioInfo& info = reader->info();
            if (info.channels < 1 || info.sampleRate < 1) throw processingError(path + ": no audio");
            LevelMeter meter(info.channels, info.sampleRate);
            std::vector<double> buffer(kAnalyzeBlock * info.channels);
            while (std::size_t n = reader->read(buffer.data(), kAnalyzeBlock)) meter.add(buffer.data(), n);
            FileAnalysis a{path, info.formatName, info.sampleRate, info.channels, meter.figures()};
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

int runPresets(const Options& o) {
    PluginSession session({o.pluginPath});
    const auto names = session.programNames();
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        char index[24];
        std::snprintf(index, sizeof index, "%2zu", i);
        if (o.json) text += std::string(i ? ",\n" : "") + "  {\"index\": " + std::to_string(i) + ", \"name\": " + jsonString(names[i]) + "}";
        else text += std::string(index) + "  " + names[i] + "\n";
    }
    print(o.json ? "[\n" + text + "\n]\n" : text);
    return kExitOk;
}

int runParams(const Options& o) {
    if (!o.saveChunk.empty()) checkOutputPath(o.saveChunk, o.force, settingFiles(o));
    PluginSession session({o.pluginPath});
    applySettings(session, o.settings);
    ParameterCatalog& catalog = session.catalog();
    vsthost::Instance& fx = session.instance();
    std::string text = o.json ? "" : "program \"" + session.currentProgramName() + "\"\n";
    for (int i = 0; i < catalog.count(); ++i) {
        const std::string display = fx.paramDisplay(i), label = fx.paramLabel(i);
        const float value = fx.getParameter(i);
        if (o.json) {
            text += std::string(i ? ",\n" : "") + "  {\"index\": " + std::to_string(i) + ", \"name\": " +
                    jsonString(catalog.name(i)) + ", \"value\": " + jsonNumber(value, 7) + ", \"display\": " +
                    jsonString(display) + ", \"label\": " + jsonString(label) + ", \"accepts\": " +
                    jsonString(catalog.accepted(i)) + "}";
        } else {
            char line[160];
            std::snprintf(line, sizeof line, "%2d  %-14s %-10s %-4s %.6g\n", i, catalog.name(i).c_str(), display.c_str(),
                          label.c_str(), value);
            text += std::string(line) + "      takes " + catalog.accepted(i) + "\n";
        }
    }
    print(o.json ? "[\n" + text + "\n]\n" : text);
    if (!o.saveChunk.empty()) writeFileAtomically(o.saveChunk, session.chunk().bytes());
    return kExitOk;
}

int runInfo(const Options& o) {
    PluginSession session({o.pluginPath});
    vsthost::Instance& fx = session.instance();
    const AEffect& e = session.record();
    const VstIntPtr category = fx.dispatch(effGetPlugCategory);
    const VstIntPtr vstVersion = fx.dispatch(effGetVstVersion);
    const std::string name = fx.effectName(), vendor = fx.vendorString(), product = fx.productString();
    const int flags = e.flags, latency = e.initialDelay;
    std::string latencies, latenciesJson;
    for (int rate : {44100, 48000, 88200, 96000, 176400, 192000}) {
        fx.setSampleRate(static_cast<float>(rate));
        latencies += (latencies.empty() ? "" : ", ") + std::to_string(session.latency()) + " at " + std::to_string(rate);
        latenciesJson += std::string(latenciesJson.empty() ? "" : ", ") + "\"" + std::to_string(rate) +
                         "\": " + std::to_string(session.latency());
    }
    if (o.json) {
        print("{\n  \"plugin_path\": " + jsonString(session.pluginPath()) + ",\n  \"effect_name\": " + jsonString(name) +
              ",\n  \"vendor\": " + jsonString(vendor) + ",\n  \"product\": " + jsonString(product) +
              ",\n  \"magic\": " + jsonString(fourCC(e.magic)) + ",\n  \"unique_id\": " + jsonString(fourCC(e.uniqueID)) +
              ",\n  \"version\": " + std::to_string(e.version) + ",\n  \"num_programs\": " + std::to_string(e.numPrograms) +
              ",\n  \"num_params\": " + std::to_string(e.numParams) + ",\n  \"num_inputs\": " +
              std::to_string(e.numInputs) + ",\n  \"num_outputs\": " + std::to_string(e.numOutputs) +
              ",\n  \"flags\": " + std::to_string(flags) + ",\n  \"initial_delay\": " + std::to_string(latency) +
              ",\n  \"category\": " + std::to_string(category) + ",\n  \"vst_version\": " + std::to_string(vstVersion) +
              ",\n  \"latency_by_rate\": {" + latenciesJson + "}\n}\n");
        return kExitOk;
    }
    print("plug-in       " + session.pluginPath() + "\n" +
          "effect        " + name + " (" + product + ") by " + vendor + "\n" +
          "magic         " + fourCC(e.magic) + "  unique ID " + fourCC(e.uniqueID) + " (" + hex(e.uniqueID) + ")  version " + std::to_string(e.version) + "\n" +
          "programs      " + std::to_string(e.numPrograms) + "   parameters " + std::to_string(e.numParams) + "\n" +
          "inputs        " + std::to_string(e.numInputs) + "   outputs " + std::to_string(e.numOutputs) + "\n" +
          "flags         " + hex(flags) + " " + flagNames(flags) + "\n" +
          "initialDelay  " + std::to_string(latency) + " samples\n" +
          "category      " + std::to_string(category) + " (" + categoryName(category) + ")   VST version " + std::to_string(vstVersion) + "\n" +
          "latency       " + latencies + " Hz\n");
    return kExitOk;
}

int runCommand(const Options& o) {
    switch (o.command) {
        case Command::Render: return runRender(o);
        case Command::Demo: return runDemo(o);
        case Command::Analyze: return runAnalyze(o);
        case Command::Presets: return runPresets(o);
        case Command::Params: return runParams(o);
        case Command::Info: return runInfo(o);
        case Command::Help: print(usageText()); return kExitOk;
        case Command::Version: print("zarpa 1.0.0\n"); return kExitOk;
    }
    return kExitUsage;
}

}  // namespace zarpacli
