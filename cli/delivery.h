// Rendering to a delivery target: a ceiling on the file's true peak (as the loudness meter measures it)
// or sample peak, and an integrated-loudness target, both checked on the file as written (a lossy file
// decoded again). The limiter itself is left as it is; the renderer chooses its Output (and Drive for a
// loudness target), renders the input held in memory, measures, and corrects until the file holds.
// Also the word length: integer files from longer sources are dithered by the plug-in's own requantizer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/audio_format.h"
#include "cli/held_audio.h"
#include "cli/level_meter.h"
#include "cli/output_quantizer.h"
#include "cli/plugin_session.h"
#include "cli/renderer.h"

namespace zarpacli {

struct Ceiling {
    double decibels = -1.0;
    bool truePeak = true;  // dBTP; false: sample peak, dBFS
};

// "-1dBTP", "-0.3 dBFS" (the unit is needed, in any case); nullopt for anything else.
std::optional<Ceiling> parseCeiling(const std::string& text);
std::string ceilingText(const Ceiling& ceiling);  // "-1.00 dBTP"

struct DeliveryGoal {
    std::optional<Ceiling> ceiling;
    std::optional<double> targetLufs;
    bool any() const { return ceiling || targetLufs; }
};

// The ceiling in force with a loudness target when none is given.
constexpr Ceiling kTargetCeiling{-1.0, true};

// How the renderer reduces the word length, decided before the render and applied to the plug-in.
struct WordLength {
    std::string summary;                // for the report; "" when the plug-in does not requantize
    std::vector<std::string> warnings;  // word lengths that do not fit the file
};

// With `dither`, an integer file written from a longer word length (a float or longer integer source)
// is dithered by the plug-in: Quantize on, Bits the file's word length, the program's noise shape.
WordLength prepareWordLength(PluginSession& session, const OutputFormat& format, const AudioInfo& input,
                             bool dither);

struct DeliveryPass {
    double driveDb = 0.0, outputDb = 0.0;
    LevelFigures figures;  // of the file this pass wrote
};

struct DeliveryResult {
    Ceiling ceiling;  // in force
    std::optional<double> targetLufs;
    std::vector<std::string> changes;  // parameters the renderer set besides Output and Drive
    std::vector<DeliveryPass> passes;  // the last one is the file written
    RenderOutcome outcome;             // of the last pass, its output figures measured on the file
    double seconds = 0.0;              // all passes
};

// Renders `input` into the open file `fd` (the output `name`) in `format` until the goal holds; the file
// then holds the last pass. Throws a processing CliError (exit 2) when the goal cannot be met, naming what
// stands in the way.
DeliveryResult renderToGoal(HeldAudio& input, PluginSession& session, int fd, const std::string& name,
                            const OutputFormat& format, OutputQuantizer& quantizer, const RenderSettings& settings,
                            const DeliveryGoal& goal);

std::string deliveryText(const DeliveryResult& result);
std::string deliveryJson(const DeliveryResult& result);

}  // namespace zarpacli
