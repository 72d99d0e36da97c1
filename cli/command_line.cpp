// Parsing and checking the command line.
#include "cli/command_line.h"

#include <charconv>
#include <optional>
#include <map>
#include <set>

#include "cli/cli_error.h"
#include "cli/delivery.h"
#include "cli/help_text.h"
#include "cli/delivery.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

const std::map<std::string, Command> kCommands = {
    {"render", Command::Render},   {"demo", Command::Demo},     {"analyze", Command::Analyze},
    {"analyse", Command::Analyze}, {"presets", Command::Presets}, {"params", Command::Params},
    {"info", Command::Info},       {"help", Command::Help},     {"version", Command::Version},
};

// Options that take a value, and the commands each option applies to.
const std::set<std::string> kValueOptions = {"--preset", "--set",  "--preset-file", "--bank-file", "--program",
                                             "--chunk",  "--save-chunk", "--block", "--format", "--bits",
                                             "--plugin", "--seconds", "--ceiling", "--target-lufs", "--report",
                                             "--plot", "--outdir", "--jobs", "-j"};

const std::set<std::string> kFlagOptions = {"--double", "--keep-latency", "--force", "--json", "--quiet",
                                            "--version", "--no-dither", "--user-settings", "--strip-metadata",
                                            "--allow-truncated"};

const std::set<std::string> kSettingOptions = {"--preset", "--set", "--preset-file", "--bank-file", "--program",
                                               "--chunk", "--save-chunk"};
const std::set<std::string> kRenderOptions = {"--block", "--double", "--format", "--bits", "--keep-latency",
                                              "--force", "--ceiling", "--target-lufs", "--no-dither",
                                              "--strip-metadata", "--report", "--plot"};
const std::set<std::string> kBatchOptions = {"--outdir", "--jobs", "-j"};

bool applies(const std::string& option, Command command) {
    if (option == "--json" || option == "--plugin" || option == "--version" || option == "--user-settings") return true;
    if (option == "--quiet")
        return command == Command::Render || command == Command::Demo || command == Command::Analyze;
    if (kSettingOptions.count(option))
        return command == Command::Render || command == Command::Demo || command == Command::Params;
    if (option == "--force")
        return command == Command::Render || command == Command::Demo || command == Command::Params;
    if (kRenderOptions.count(option)) return command == Command::Render || command == Command::Demo;
    if (kBatchOptions.count(option)) return command == Command::Render;
    if (option == "--seconds") return command == Command::Demo;
    if (option == "--allow-truncated") return command == Command::Render || command == Command::Analyze;
    return false;
}

// An option starts with a dash; "-" alone names standard input or output.
bool isOption(const std::string& arg) { return arg.size() >= 2 && arg[0] == '-'; }

Command commandNamed(const std::string& name) {
    auto c = kCommands.find(name);
    if (c == kCommands.end()) throw usageError("unknown command '" + name + "' (try zarpa help)");
    return c->second;
}

int parseInteger(const std::string& option, const std::string& text, int low, int high) {
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        throw usageError(option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not '" + text + "'");
    return v;
}

double parseSeconds(const std::string& text) {
    double v = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !(v >= 1.0 && v <= 60.0))
        throw usageError("--seconds takes a number from 1 to 60, not '" + text + "'");
    return v;
}

double parseTargetLufs(const std::string& text) {
    double v = 0.0;
    const std::string t = trim(text);
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || !(v >= -70.0 && v <= 0.0))
        throw usageError("--target-lufs takes a loudness from -70 to 0 (LUFS), not '" + text + "'");
    return v;
}

void store(Options& o, const std::string& option, const std::string& value) {
    // An empty value would read as "not given" ("--preset=" as no preset, "--bits ''" as the input's).
    if (value.empty()) throw usageError("option " + option + " needs a value, not an empty one");
    if (option == "--preset") o.settings.preset = value;
    else if (option == "--set") {
        if (value.find('=') == std::string::npos || value.front() == '=')
            throw usageError("--set takes NAME=VALUE, not '" + value + "'");
        o.settings.sets.push_back(value);
    } else if (option == "--preset-file") o.settings.presetFile = value;
    else if (option == "--bank-file") o.settings.bankFile = value;
    else if (option == "--program") o.settings.program = parseInteger(option, value, 0, 23);
    else if (option == "--chunk") o.settings.chunkFile = value;
    else if (option == "--save-chunk") o.saveChunk = value;
    else if (option == "--block") o.blockSize = parseInteger(option, value, 1, kMaxBlockSize);
    else if (option == "--format") o.format = value;
    else if (option == "--bits") o.bits = value;
    else if (option == "--plugin") o.pluginPath = value;
    else if (option == "--seconds") o.demoSeconds = parseSeconds(value);
    else if (option == "--ceiling") {
        if (!parseCeiling(value))
            throw usageError("--ceiling takes a level with its unit, -1dBTP (true peak) or -0.3dBFS (sample peak), "
                             "not '" + value + "'");
        o.ceiling = value;
    } else if (option == "--target-lufs") o.targetLufs = parseTargetLufs(value);
    else if (option == "--report") o.reportFile = value;
    else if (option == "--plot") o.plotFile = value;
    else if (option == "--outdir") o.outDir = value;
    else if (option == "--jobs" || option == "-j") o.jobs = parseInteger(option, value, 1, kMaxJobs);
}

void setFlag(Options& o, const std::string& option) {
    if (option == "--double") o.useDouble = true;
    else if (option == "--keep-latency") o.keepLatency = true;
    else if (option == "--force") o.force = true;
    else if (option == "--json") o.json = true;
    else if (option == "--quiet") o.quiet = true;
    else if (option == "--version") o.version = true;
    else if (option == "--no-dither") o.noDither = true;
    else if (option == "--user-settings") o.userSettings = true;
    else if (option == "--strip-metadata") o.stripMetadata = true;
    else if (option == "--allow-truncated") o.allowTruncated = true;
}

void checkCombination(const Options& o) {
    const auto& s = o.settings;
    if (s.program && s.bankFile.empty() && s.chunkFile.empty())
        throw usageError("--program selects a program of --bank-file or --chunk; use --preset for a factory program");
    if (s.program && !s.preset.empty()) throw usageError("give either --program or --preset, not both");

    const std::string name = commandName(o.command);
    const std::size_t n = o.files.size();
    switch (o.command) {
        case Command::Render:
            if (!o.outDir.empty()) {
                if (n == 0)
                    throw usageError("render --outdir takes one or more input files: zarpa render IN... --outdir DIR");
                using Side = std::pair<const char*, const std::string*>;
                for (const auto& [option, name] :
                     {Side{"--save-chunk", &o.saveChunk}, Side{"--report", &o.reportFile}, Side{"--plot", &o.plotFile}})
                    if (!name->empty() && name->find("{}") == std::string::npos)
                        throw usageError(std::string("with --outdir, ") + option + " names a file per input: put {} " +
                                         "where the input's name goes (" + option + " plots/{}.png)");
            } else if (n != 2) {
                throw usageError("render takes an input and an output file: zarpa render IN OUT [options], or "
                                 "several inputs with --outdir DIR");
            }
            if (o.jobs && o.outDir.empty())
                throw usageError("-j sets how many files render side by side; it needs --outdir");
            break;
        case Command::Demo:
            if (n > 1) throw usageError("demo takes at most one output file");
            break;
        case Command::Analyze:
            if (n == 0) throw usageError("analyze takes one or more files");
            break;
        default:
            if (n != 0) throw usageError(name + " takes no file ('" + o.files[0] + "')");
    }
}

}  // namespace

Options parseCommandLine(const std::vector<std::string>& args) {
    Options o;
    std::optional<Command> command;
    bool wantHelp = false;
    std::vector<std::string> given;  // options in order, checked against the command once it is known
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !isOption(arg)) {
            if (!command) command = commandNamed(arg);
            else o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            wantHelp = true;
            continue;
        }
        std::string option = arg, value;
        bool hasValue = false;
        if (auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        } else if (arg.size() > 2 && arg[1] != '-' && kValueOptions.count(arg.substr(0, 2))) {
            option = arg.substr(0, 2);  // a short option with its value attached: -j4
            value = arg.substr(2);
            hasValue = true;
        }
        const bool known = kValueOptions.count(option) || kFlagOptions.count(option);
        if (!known) throw usageError("unknown option '" + option + "' (try zarpa help)");
        if (kValueOptions.count(option)) {
            if (!hasValue) {
                if (i + 1 >= args.size()) throw usageError("option " + option + " needs a value");
                value = args[++i];
            }
            store(o, option, value);
        } else {
            if (hasValue) throw usageError("option " + option + " takes no value");
            setFlag(o, option);
        }
        given.push_back(option);
    }

    if (!command && o.version) command = Command::Version;
    if (!command && !wantHelp) throw usageError("no command given\n\n" + usageText());
    if (wantHelp || *command == Command::Help) {
        // `zarpa CMD --help` and `zarpa help CMD` both print the command's own help.
        if (command && *command != Command::Help) o.helpTopic = *command;
        else if (!o.files.empty()) o.helpTopic = commandNamed(o.files[0]);
        o.command = Command::Help;
        o.files.clear();
        return o;
    }
    o.command = o.version ? Command::Version : *command;  // --version anywhere answers only that
    if (o.command == Command::Version) return o;
    for (const std::string& option : given)
        if (!applies(option, o.command))
            throw usageError("option " + option + " does not apply to '" + commandName(o.command) + "'");
    checkCombination(o);
    return o;
}

}  // namespace zarpacli
