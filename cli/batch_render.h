// Rendering several inputs into one folder (`zarpa render IN... --outdir DIR -j N`): the outputs are
// named after the inputs, N plug-in instances render side by side, each file gets its own report and
// the batch a summary. A file that fails does not stop the others; the exit code then says so.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/report.h"

namespace zarpacli {

// The files a render writes besides the audio, as given (with "{}" for the input's name) or per item.
struct SideOutputs {
    std::string saveChunk, report, plot;
};

struct BatchItem {
    std::string input, output;
    SideOutputs sides;
};

// DIR/<the input's name without its extension>.<extension>: the extension of --format where given,
// else the input's own where this build writes that container, else wav. The side outputs are the
// patterns with "{}" replaced by that name. Throws a usage CliError when two files of the batch would be
// the same, one exists without `force`, or one is an input.
std::vector<BatchItem> planBatch(const std::vector<std::string>& inputs, const std::string& outDir,
                                 const std::string& formatOption, const SideOutputs& patterns, bool force);

// The number of renders side by side by default: the processor's cores.
int defaultJobs();

// Renders one item, counting the input frames it has rendered; throws a CliError when it fails.
using RenderOne = std::function<RenderReport(const BatchItem& item, std::atomic<std::int64_t>& framesRead)>;

struct BatchResult {
    std::vector<std::optional<RenderReport>> reports;  // per item, empty where it failed
    std::vector<std::string> errors;                   // per item, "" where it succeeded
    int jobs = 1;
    double seconds = 0.0;
    bool interrupted = false;
    int failures() const;
};

// Runs the items on `jobs` threads. `onDone(i)` is called on the calling thread for every item in the
// order of the items, as soon as it and all before it are done (for printing). totalFrames is the
// expected input length of all items together, for the progress line.
BatchResult runBatch(const std::vector<BatchItem>& items, int jobs, const RenderOne& render, bool showProgress,
                     std::int64_t totalFrames, int sampleRateForSpeed,
                     const std::function<void(const BatchResult&, std::size_t)>& onDone);

std::string batchSummaryText(const std::vector<BatchItem>& items, const BatchResult& result, const std::string& outDir);
std::string batchJson(const std::vector<BatchItem>& items, const BatchResult& result, const std::string& outDir);

}  // namespace zarpacli
