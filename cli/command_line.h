// The command line of `zarpa`: subcommands, options and their checks. Parsing knows nothing of the
// plug-in; names of presets and parameters are checked later against the plug-in itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zarpacli {

// Where the plug-in's state comes from, applied in this order: --chunk, --bank-file, --program or
// --preset, --preset-file, then every --set in the order given.
struct PluginSettings {
    std::string chunkFile;
    std::string bankFile;
    std::optional<int> program;  // a program of the loaded bank or chunk
    std::string preset;          // a program by name or index
    std::string presetFile;
    std::vector<std::string> sets;  // "NAME=VALUE"
    bool any() const {
        return !chunkFile.empty() || !bankFile.empty() || program || !preset.empty() || !presetFile.empty() ||
               !sets.empty();
    }
};

enum class Command { Render, Demo, Analyze, Presets, Params, Info, Help, Version };

struct Options {
    Command command = Command::Help;
    std::vector<std::string> files;  // render: IN OUT; demo: [OUT]; analyze: FILE...
    PluginSettings settings;
    std::string saveChunk;
    std::string pluginPath;  // "" for the default
    std::string format;      // "" to pick by the output's extension
    std::string bits;        // "" to keep the input's word length
    int blockSize = 512;
    double demoSeconds = 8.0;
    bool useDouble = false;
    bool keepLatency = false;
    bool force = false;
    bool json = false;
    bool quiet = false;
    bool stripMetadata = false;
    bool allowTruncated = false;  // a cut or damaged input renders what is there
    std::string reportFile;  // --report: the JSON report also goes here
    std::string plotFile;    // --plot: a PNG picture of the render
    std::string outDir;      // render several inputs into this folder
    std::optional<int> jobs;  // -j: renders side by side (default: the number of cores)
    bool version = false;                // --version given as an option
    std::optional<Command> helpTopic;    // help: the command whose help to print
    // Delivery: a peak ceiling ("-1dBTP", "-0.3dBFS"), a loudness target, and the word length.
    std::string ceiling;
    std::optional<double> targetLufs;
    bool noDither = false;
    bool userSettings = false;  // the plug-in sees the user's own settings store
};

// Throws a usage CliError for anything it cannot accept.
Options parseCommandLine(const std::vector<std::string>& args);

constexpr int kMaxBlockSize = 65536;
constexpr int kMaxJobs = 256;

}  // namespace zarpacli
