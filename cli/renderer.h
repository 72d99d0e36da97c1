// The render loop: reads the input in blocks, runs them through the plug-in, removes the plug-in's
// latency as a DAW does (the first initialDelay output samples are dropped and the tail is flushed with
// silence, so the output is time-aligned with the input and as long), puts the result on the output
// file's grid, measures both sides and writes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "cli/audio_file.h"
#include "cli/level_meter.h"
#include "cli/metadata_carrier.h"
#include "cli/output_quantizer.h"
#include "cli/plugin_session.h"
#include "cli/render_timeline.h"

namespace zarpacli {

struct RenderSettings {
    int blockSize = 512;
    bool useDouble = false;    // the 64-bit processing entry
    bool keepLatency = false;  // keep the delay at the start; the output is longer by the latency
    bool showProgress = false;
    MetadataCarrier* metadata = nullptr;  // given to the writer before the first sample and at the end
    std::atomic<std::int64_t>* framesRead = nullptr;  // counts the input frames rendered (batch progress)
    bool measureInput = true;  // off for passes after the first over the same input
};

struct RenderOutcome {
    LevelFigures input;
    LevelFigures output;
    std::int64_t framesWritten = 0;
    int latency = 0;
    double seconds = 0.0;  // wall-clock time of the loop
    std::shared_ptr<const RenderTimeline> timeline;  // the input and output over time, time-aligned
};

// The session must be started. The gain reduction of the timeline is measured against the static gain
// that the plug-in's parameters show at the start. Throws a processing CliError on read or write failures and when
// interrupted.
RenderOutcome renderAudio(AudioReader& source, PluginSession& plugin, AudioWriter& writer,
                          OutputQuantizer& quantizer, const RenderSettings& settings);

}  // namespace zarpacli
