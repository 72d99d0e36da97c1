// The help texts, assembled from one block per group of options so that every page that lists a
// group lists it the same way.
#include "cli/help_text.h"

namespace zarpacli {

namespace {

constexpr const char* kSettingsHelp = R"(
plug-in settings, applied in this order:
  --chunk F            load a state chunk (as saved by --save-chunk or a host)
  --bank-file F.okb    load a bank file;   --program N   select its program N (0-23)
  --preset NAME|N      select a program by name or index
  --preset-file F.oka  load a preset file into the current program
  --set NAME=VALUE     set a parameter; repeatable. VALUE is a step text (Bits=24, Oversample=on,
                       NoiseShape="type B"), a display value with its unit (Drive=+6dB, Release=120ms,
                       "L/R Link=50%"), or a bare number 0..1 (normalised)
  --save-chunk F       write the resulting state chunk to F
)";

constexpr const char* kRenderOptionsHelp = R"(
render options:
  --format wav|aiff|flac|ogg|opus|mp3|w64|caf   output container (default: from OUT's extension);
                       ogg (Vorbis), opus and mp3 are lossy. Opus takes 8, 12, 16, 24 or 48 kHz
                       input only (zarpa does not resample). The Windows build writes wav only
  --bits 16|24|32      16- or 24-bit integer or 32-bit float (default: the input's word length)
  --block N            block size handed to the plug-in (default 512)
  --double             use the 64-bit processing entry
  --keep-latency       keep the plug-in's delay at the start (OUT is longer by the latency)
  --force              replace an existing OUT (the input file is never replaced)
  --allow-truncated    render a cut or damaged input as far as it goes (else an error, exit 2); the
                       report says how much was missing (also for analyze)
  --strip-metadata     leave out the input's tags (title, artist, album, track, date, comment, ...),
                       its broadcast extension and its ID3, iXML and axml chunks, which are kept by
                       default where the output's container can hold them
  --report F.json      also write the JSON report to F.json (the readable one still goes to stdout)
  --plot F.png         draw the render: input and output peaks and short-term loudness over time, the
                       ceiling and loudness target where given, and the gain reduction below

gain reduction in the report: zarpa sees only audio, so per 10 ms window it compares the time-aligned
input x and output y with the gain G the plug-in applies when not limiting (Drive + Output in dB, or
Output alone with AutoOut on): GR = 10*log10(G^2*sum(x^2) / sum(y^2)) dB, at least 0. Windows quieter
than -70 dBFS RMS after G are left out; "limiting" counts windows with 0.1 dB or more. The leveller's
gain counts as reduction. With Power off or Calibrate on it is not known.
)";

constexpr const char* kDeliveryHelp = R"(
delivery:
  --ceiling VALUE      a peak ceiling the written file meets: -1dBTP (true peak, ITU-R BS.1770-4) or
                       -0.3dBFS (sample peak), measured on the file as written (a lossy file decoded
                       again); met by choosing Output (Oversample on for dBTP) and lowering it as needed
  --target-lufs N      integrated loudness within 0.1 LU of N, found by searching Drive, with the
                       ceiling (default -1dBTP). Both exit with 2 when they cannot be met
  --no-dither          16- and 24-bit files from a longer word length are dithered by default by the
                       plug-in's requantizer (Quantize on, Bits the file's, the program's noise shape)
)";

constexpr const char* kGeneralHelp = R"(
general options (before or after the command):
  --json               print the report as JSON
  --quiet              no progress bar and no readable report
  --user-settings      let the plug-in use your stored defaults (default bank and preset, metering);
                       without it the plug-in runs with an empty settings store and writes nothing
  --plugin PATH        the plug-in library (default: $ZARPA_PLUGIN, else the one built with zarpa,
                       else OKAZarpa.so or OKAZarpa.dll in zarpa's own folder)
  --help, -h           this help; after a command, the command's help
)";

constexpr const char* kExitCodesHelp =
    "\nexit codes: 0 success, 1 usage error, 2 processing error (files, formats, the plug-in), 128 + N\n"
    "when ended by signal N (130 for Ctrl-C).\n";

constexpr const char* kRenderHelp = R"(usage: zarpa render IN OUT [options]
       zarpa render IN... --outdir DIR [-j N] [options]

Renders IN through the plug-in into OUT, time-aligned with IN (the plug-in's latency removed) and as
long, and prints a report of both sides: peaks, true peaks, loudness and loudness range. IN or OUT "-"
is standard input or output (cat in.wav | zarpa render - - --format wav > out.wav); the report then goes
to standard error. A FIFO or a device as OUT is written into, never replaced.

With --outdir, renders every IN into DIR (made if missing) with the same options, named after the input
(DIR/NAME.EXT: EXT from --format, else the input's own); N plug-in instances render side by side
(-j N, --jobs N; default: the number of cores). One report per file as it is done, then a summary;
--json prints one JSON object holding all of them. A file that fails does not stop the others (exit 2).
--report, --plot and --save-chunk then name a file per input with {} for its name (--plot plots/{}.png).
)";

constexpr const char* kDemoHelp = R"(usage: zarpa demo [OUT] [options]

Renders a built-in demo mix (6 dB too hot) through "CD Master 1" into OUT (default zarpa-demo.wav,
16-bit unless --bits or --format says otherwise).
  --seconds S          demo length, 1 to 60 (default 8)
)";

constexpr const char* kAnalyzeHelp = R"(usage: zarpa analyze FILE... [options]

Measures files without the plug-in: sample peak, true peak, integrated loudness and loudness range.
)";

constexpr const char* kPresetsHelp = R"(usage: zarpa presets [options]

Lists the plug-in's 24 programs by index and name.
)";

constexpr const char* kParamsHelp = R"(usage: zarpa params [settings] [options]

Lists the parameters with the settings applied: names, display texts, labels and the values --set
accepts.
)";

constexpr const char* kInfoHelp = R"(usage: zarpa info [options]

Shows the effect record as a host sees it: name, vendor, ids, channels, parameters, latency, flags.
)";

}  // namespace

std::string commandName(Command command) {
    switch (command) {
        case Command::Render: return "render";
        case Command::Demo: return "demo";
        case Command::Analyze: return "analyze";
        case Command::Presets: return "presets";
        case Command::Params: return "params";
        case Command::Info: return "info";
        case Command::Help: return "help";
        case Command::Version: return "version";
    }
    return "?";
}

std::string usageText() {
    return std::string(R"(zarpa - offline renderer for the OKA Zarpa limiter (loads the built VST 2.4 plug-in)

usage:
  zarpa render IN OUT [options]   render IN through the plug-in into OUT ("-": standard input or
                                  output; the report then goes to standard error)
  zarpa demo [OUT] [options]      render a built-in demo mix (6 dB too hot) through "CD Master 1"
                                  (OUT defaults to zarpa-demo.wav)
  zarpa analyze FILE...           peak, true peak, loudness and loudness range of files
  zarpa presets                   the plug-in's 24 programs
  zarpa params [settings]         the parameters: names, display texts, labels, accepted values
  zarpa info                      the effect record as a host sees it
  zarpa help COMMAND              the options of one command (or: zarpa COMMAND --help)
)") + kSettingsHelp + kRenderOptionsHelp + kDeliveryHelp + kGeneralHelp + kExitCodesHelp;
}

std::string commandHelp(Command command) {
    std::string text;
    switch (command) {
        case Command::Render:
            text = std::string(kRenderHelp) + kSettingsHelp + kRenderOptionsHelp + kDeliveryHelp;
            break;
        case Command::Demo: text = std::string(kDemoHelp) + kSettingsHelp + kRenderOptionsHelp + kDeliveryHelp; break;
        case Command::Analyze: text = kAnalyzeHelp; break;
        case Command::Presets: text = kPresetsHelp; break;
        case Command::Params: text = std::string(kParamsHelp) + kSettingsHelp; break;
        case Command::Info: text = kInfoHelp; break;
        case Command::Help:
        case Command::Version: return usageText();
    }
    return text + kGeneralHelp + kExitCodesHelp;
}

}  // namespace zarpacli
