// Parsing and checking the command line.
#include "cli/command_line.h"

#include <charconv>
#include <map>
#include <set>

#include "cli/cli_error.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

const std::map<std::string, Command> kCommands = {
    {"render", Command::Render},   {"demo", Command::Demo},     {"analyze", Command::Analyze},
    {"analyse", Command::Analyze}, {"presets", Command::Presets}, {"params", Command::Params},
    {"info", Command::Info},       {"help", Command::Help},     {"--help", Command::Help},
    {"-h", Command::Help},         {"--version", Command::Version}, {"version", Command::Version},
};

// Options that take a value, and the commands each option applies to.
const std::set<std::string> kValueOptions = {"--preset", "--set",  "--preset-file", "--bank-file", "--program",
                                             "--chunk",  "--save-chunk", "--block", "--format", "--bits",
                                             "--plugin", "--seconds"};

const std::set<std::string> kSettingOptions = {"--preset", "--set", "--preset-file", "--bank-file", "--program",
                                               "--chunk", "--save-chunk"};
const std::set<std::string> kRenderOptions = {"--block", "--double", "--format", "--bits", "--keep-latency",
                                              "--force"};

bool applies(const std::string& option, Command command) {
    if (option == "--json" || option == "--plugin") return true;
    if (option == "--quiet") return command == Command::Render || command == Command::Demo || command == Command::Analyze;
    if (kSettingOptions.count(option))
        return command == Command::Render || command == Command::Demo || command == Command::Params;
    if (option == "--force") return command == Command::Render || command == Command::Demo || command == Command::Params;
    if (kRenderOptions.count(option)) return command == Command::Render || command == Command::Demo;
    if (option == "--seconds") return command == Command::Demo;
    return false;
}

std::string commandName(Command c) {
    for (const auto& [name, command] : kCommands)
        if (command == c && name[0] != '-') return name;
    return "?";
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

void store(Options& o, const std::string& option, const std::string& value) {
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
}

void setFlag(Options& o, const std::string& option) {
    if (option == "--double") o.useDouble = true;
    else if (option == "--keep-latency") o.keepLatency = true;
    else if (option == "--force") o.force = true;
    else if (option == "--json") o.json = true;
    else if (option == "--quiet") o.quiet = true;
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
            if (n != 2) throw usageError("render takes an input and an output file: zarpa render IN OUT [options]");
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
    if (args.empty()) throw usageError("no command given\n\n" + usageText());
    auto c = kCommands.find(args[0]);
    if (c == kCommands.end()) throw usageError("unknown command '" + args[0] + "' (try zarpa help)");
    o.command = c->second;
    if (o.command == Command::Help || o.command == Command::Version) return o;

    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string option = arg, value;
        bool hasValue = false;
        if (auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        const bool known = kValueOptions.count(option) || option == "--double" || option == "--keep-latency" ||
                           option == "--force" || option == "--json" || option == "--quiet";
        if (!known) throw usageError("unknown option '" + option + "' (try zarpa help)");
        if (!applies(option, o.command))
            throw usageError("option " + option + " does not apply to '" + commandName(o.command) + "'");
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
    }
    checkCombination(o);
    return o;
}

std::string usageText() {
    return R"(zarpa - offline renderer for the OKA Zarpa limiter (loads the built VST 2.4 plug-in)

usage:
  zarpa render IN OUT [options]   render IN through the plug-in into OUT
  zarpa demo [OUT] [options]      render a built-in demo mix (6 dB too hot) through "CD Master 1"
                                  (OUT defaults to zarpa-demo.wav)
  zarpa analyze FILE...           peak, true peak, loudness and loudness range of files
  zarpa presets                   the plug-in's 24 programs
  zarpa params [settings]         the parameters: names, display texts, labels, accepted values
  zarpa info                      the effect record as a host sees it

plug-in settings (render, demo, params), applied in this order:
  --chunk F            load a state chunk (as saved by --save-chunk or a host)
  --bank-file F.okb    load a bank file;   --program N   select its program N (0-23)
  --preset NAME|N      select a program by name or index
  --preset-file F.oka  load a preset file into the current program
  --set NAME=VALUE     set a parameter; repeatable. VALUE is a step text (Bits=24, Oversample=on,
                       NoiseShape="type B"), a display value with its unit (Drive=+6dB, Release=120ms,
                       "L/R Link=50%"), or a bare number 0..1 (normalised)
  --save-chunk F       write the resulting state chunk to F

render options:
  --format wav|aiff|flac|ogg|w64|caf   output container (default: from OUT's extension)
  --bits 16|24|32      16- or 24-bit integer or 32-bit float (default: the input's word length)
  --block N            block size handed to the plug-in (default 512)
  --double             use the 64-bit processing entry
  --keep-latency       keep the plug-in's delay at the start (OUT is longer by the latency)
  --force              replace an existing OUT (the input file is never replaced)
  --seconds S          demo length (default 8)

general options:
  --json               print the report as JSON
  --quiet              no progress bar and no readable report
  --plugin PATH        the plug-in library (default: $ZARPA_PLUGIN, else the one built with zarpa,
                       else OKAZarpa.so or OKAZarpa.dll in zarpa's own folder)

exit codes: 0 success, 1 usage error, 2 processing error (files, formats, the plug-in).
)";
}

}  // namespace zarpacli
