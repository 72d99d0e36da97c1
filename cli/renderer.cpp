// The block loop of a render, one body for both sample widths.
#include "cli/renderer.h"

#include <algorithm>
#include <vector>

#include "cli/cli_error.h"
#include "cli/interrupt.h"
#include "cli/progress.h"
#include "cli/static_gain.h"

namespace zarpacli {

namespace {

template <typename Sample>
RenderOutcome run(AudioReader& source, PluginSession& plugin, AudioWriter& writer, OutputQuantizer& quantizer,
                  const RenderSettings& settings) {
    const AudioInfo& info = source.info();
    const int channels = info.channels;
    const std::size_t block = static_cast<std::size_t>(settings.blockSize);
    const int latency = std::max(0, plugin.latency());

    std::vector<double> fileIn(block * channels), fileOut(block * channels);
    std::vector<Sample> in[2] = {std::vector<Sample>(block), std::vector<Sample>(block)};
    std::vector<Sample> out[2] = {std::vector<Sample>(block), std::vector<Sample>(block)};
    Sample* inputs[2] = {in[0].data(), channels == 2 ? in[1].data() : in[0].data()};
    Sample* outputs[2] = {out[0].data(), out[1].data()};

    LevelMeter inputMeter(channels, info.sampleRate), outputMeter(channels, info.sampleRate);
    // A header's frame count is a claim; kept in range, the sum cannot overflow.
    const std::int64_t expected = std::clamp<std::int64_t>(info.frames, 0, std::int64_t(1) << 52);
    Progress progress(settings.showProgress, expected + latency, info.sampleRate);
    auto timeline = std::make_shared<RenderTimeline>(channels, info.sampleRate, staticGainDb(plugin.instance()));
    if (settings.metadata) settings.metadata->begin(writer);
    RenderOutcome outcome;
    outcome.latency = latency;
    std::int64_t delayLeft = settings.keepLatency ? latency : 0;  // kept delay, not part of the timeline

    std::int64_t toDrop = settings.keepLatency ? 0 : latency;  // output frames still to discard
    std::int64_t flushLeft = latency;                          // silent frames still to feed after the end
    std::int64_t fed = 0;
    for (;;) {
        std::size_t n = source.read(fileIn.data(), block);
        if (n > 0) {
            if (settings.measureInput) inputMeter.add(fileIn.data(), n);
            timeline->addInput(fileIn.data(), n);
            if (settings.framesRead)
                settings.framesRead->fetch_add(static_cast<std::int64_t>(n), std::memory_order_relaxed);
        } else {
            n = static_cast<std::size_t>(std::min<std::int64_t>(flushLeft, static_cast<std::int64_t>(block)));
            if (n == 0) break;
            flushLeft -= static_cast<std::int64_t>(n);
            std::fill_n(fileIn.begin(), n * channels, 0.0);
        }
        for (std::size_t i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c) in[c][i] = static_cast<Sample>(fileIn[i * channels + c]);

        plugin.process(inputs, outputs, static_cast<int>(n));
        fed += static_cast<std::int64_t>(n);

        const std::size_t first =
            static_cast<std::size_t>(std::min<std::int64_t>(toDrop, static_cast<std::int64_t>(n)));
        toDrop -= static_cast<std::int64_t>(first);
        const std::size_t kept = n - first;
        for (std::size_t i = 0; i < kept; ++i)
            for (int c = 0; c < channels; ++c)
                fileOut[i * channels + c] = quantizer.apply(static_cast<double>(out[c][first + i]));
        if (kept > 0) {
            outputMeter.add(fileOut.data(), kept);
            const std::size_t delayed = static_cast<std::size_t>(std::min<std::int64_t>(delayLeft, kept));
            delayLeft -= static_cast<std::int64_t>(delayed);
            timeline->addOutput(fileOut.data() + delayed * channels, kept - delayed);
            writer.write(fileOut.data(), kept);
            outcome.framesWritten += static_cast<std::int64_t>(kept);
        }
        progress.update(fed);
        if (pendingSignal()) {
            progress.finish();
            throwIfInterrupted();
        }
    }
    progress.finish();
    outcome.seconds = progress.elapsedSeconds();
    outcome.input = inputMeter.figures();
    outcome.output = outputMeter.figures();
    if (settings.metadata) settings.metadata->finish(writer, outcome.output, timeline->summary());
    outcome.timeline = std::move(timeline);
    return outcome;
}

}  // namespace

RenderOutcome renderAudio(AudioReader& source, PluginSession& plugin, AudioWriter& writer,
                          OutputQuantizer& quantizer, const RenderSettings& settings) {
    if (settings.useDouble) {
        if (!plugin.record().processDoubleReplacing || !(plugin.record().flags & effFlagsCanDoubleReplacing))
            throw processingError("the plug-in has no 64-bit processing entry");
        return run<double>(source, plugin, writer, quantizer, settings);
    }
    return run<float>(source, plugin, writer, quantizer, settings);
}

}  // namespace zarpacli
