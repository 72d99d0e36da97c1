// Planning a batch, running it on worker threads, and summing it up.
#include "cli/batch_render.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "cli/audio_format.h"
#include "cli/cli_error.h"
#include "cli/interrupt.h"
#include "cli/pending_output.h"
#include "cli/progress.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace fs = std::filesystem;

namespace {

constexpr auto kProgressTick = std::chrono::milliseconds(100);

std::string extensionOf(Container c) {
    switch (c) {
        case Container::Wav: return "wav";
        case Container::Aiff: return "aiff";
        case Container::Flac: return "flac";
        case Container::Ogg: return "ogg";
        case Container::W64: return "w64";
        case Container::Caf: return "caf";
        case Container::Opus: return "opus";
        case Container::Mp3: return "mp3";
    }
    return "wav";
}

std::string outputExtension(const std::string& input, const std::string& formatOption) {
    if (!formatOption.empty()) {
        if (auto c = containerFromName(formatOption)) return extensionOf(*c);
        throw usageError("unknown format '" + formatOption + "' (use wav, aiff, flac, ogg, opus, mp3, w64 or caf)");
    }
    if (auto c = containerFromPath(input); c && canWriteContainer(*c))
        return fs::path(input).extension().string().substr(1);
    return "wav";
}

// A side output's pattern with the input's name in place of "{}".
std::string named(const std::string& pattern, const std::string& stem) {
    std::string name = pattern;
    for (std::size_t at; (at = name.find("{}")) != std::string::npos;) name.replace(at, 2, stem);
    return name;
}

}  // namespace

int BatchResult::failures() const {
    return static_cast<int>(
        std::count_if(errors.begin(), errors.end(), [](const std::string& e) { return !e.empty(); }));
}

std::vector<BatchItem> planBatch(const std::vector<std::string>& inputs, const std::string& outDir,
                                 const std::string& formatOption, const SideOutputs& patterns, bool force) {
    std::error_code ec;
    if (fs::exists(outDir, ec) && !fs::is_directory(outDir, ec))
        throw usageError("--outdir " + outDir + " is a file, not a folder");
    std::vector<BatchItem> items;
    std::vector<std::pair<std::string, std::string>> taken;  // every file the batch writes, and whose it is
    for (const std::string& input : inputs) {
        const std::string stem = fs::path(input).stem().string();
        BatchItem item{input, (fs::path(outDir) / (stem + "." + outputExtension(input, formatOption))).string(),
                       {named(patterns.saveChunk, stem), named(patterns.report, stem), named(patterns.plot, stem)}};
        for (const std::string* file : {&item.output, &item.sides.saveChunk, &item.sides.report, &item.sides.plot}) {
            if (file->empty()) continue;
            for (const auto& [other, owner] : taken)
                if (samePath(other, *file))
                    throw usageError(owner + " and " + input + " would both write " + *file +
                                     "; give them different names or render them apart");
            checkOutputPath(*file, force, inputs);
            taken.emplace_back(*file, input);
        }
        items.push_back(std::move(item));
    }
    return items;
}

int defaultJobs() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

BatchResult runBatch(const std::vector<BatchItem>& items, int jobs, const RenderOne& render, bool showProgress,
                     std::int64_t totalFrames, int sampleRateForSpeed,
                     const std::function<void(const BatchResult&, std::size_t)>& onDone) {
    BatchResult result;
    result.reports.resize(items.size());
    result.errors.resize(items.size());
    result.jobs = std::clamp(jobs, 1, static_cast<int>(std::max<std::size_t>(items.size(), 1)));

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> done(items.size(), false);
    std::atomic<std::size_t> next{0};
    std::atomic<std::int64_t> framesRead{0};

    auto worker = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < items.size();) {
            std::optional<RenderReport> report;
            std::string error;
            if (pendingSignal()) {
                error = "interrupted before it started";
            } else {
                try {
                    report = render(items[i], framesRead);
                } catch (const std::exception& e) {
                    error = e.what();
                }
                if (!report && error.empty()) error = "failed";
            }
            std::lock_guard<std::mutex> lock(mutex);
            result.reports[i] = std::move(report);
            result.errors[i] = std::move(error);
            done[i] = true;
            changed.notify_all();
        }
    };

    Progress progress(showProgress, totalFrames, sampleRateForSpeed,
                      "rendering " + std::to_string(items.size()) + " files");
    std::vector<std::thread> threads;
    for (int t = 0; t < result.jobs; ++t) threads.emplace_back(worker);

    std::size_t reported = 0;
    std::unique_lock<std::mutex> lock(mutex);
    while (reported < items.size()) {
        changed.wait_for(lock, kProgressTick);
        while (reported < items.size() && done[reported]) {
            progress.finish();  // the report is printed on a clean line; the progress line comes back
            lock.unlock();
            onDone(result, reported);
            lock.lock();
            ++reported;
        }
        lock.unlock();
        progress.update(framesRead.load(std::memory_order_relaxed));
        lock.lock();
    }
    lock.unlock();
    for (std::thread& t : threads) t.join();
    progress.finish();
    result.seconds = progress.elapsedSeconds();
    result.interrupted = pendingSignal();
    return result;
}

std::string batchSummaryText(const std::vector<BatchItem>& items, const BatchResult& result,
                             const std::string& outDir) {
    double audioSeconds = 0.0;
    for (const auto& r : result.reports)
        if (r) audioSeconds += r->input.durationSeconds;
    const int rendered = static_cast<int>(items.size()) - result.failures();
    std::string s = "zarpa: " + std::to_string(rendered) + " of " + std::to_string(items.size()) +
                    " files rendered into " + outDir + " (" + std::to_string(result.jobs) + " side by side) in " +
                    fixed(result.seconds, 1) + " s, " +
                    fixed(result.seconds > 0.0 ? audioSeconds / result.seconds : 0.0, 1) + "x realtime\n";
    std::size_t width = 5;
    for (const BatchItem& item : items) width = std::max(width, item.input.size());
    s += "  " + std::string("input") + std::string(width - 5 + 2, ' ') +
         "  output LUFS   true peak   gain reduction avg / max\n";
    for (std::size_t i = 0; i < items.size(); ++i) {
        s += "  " + items[i].input + std::string(width - items[i].input.size() + 2, ' ');
        if (!result.reports[i]) {
            s += "FAILED: " + result.errors[i] + "\n";
            continue;
        }
        const RenderReport& r = *result.reports[i];
        const GainReductionFigures& g = r.timeline.gainReduction;
        s += "  " + std::string(11 - std::min<std::size_t>(11, signedFixed(r.output.integratedLufs, 1).size()), ' ') +
             signedFixed(r.output.integratedLufs, 1) + "  " + signedFixed(decibels(r.output.truePeak), 2) + " dBTP   " +
             (g.measured ? fixed(g.averageDb, 2) + " / " + fixed(g.largestDb, 2) + " dB" : "not known") + "\n";
    }
    return s;
}

std::string batchJson(const std::vector<BatchItem>& items, const BatchResult& result, const std::string& outDir) {
    std::string files, failed;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (result.reports[i]) {
            std::string json = renderReportJson(*result.reports[i]);
            while (!json.empty() && json.back() == '\n') json.pop_back();
            files += (files.empty() ? "\n" : ",\n") + json;
        } else {
            failed += std::string(failed.empty() ? "" : ", ") + "{\"input\": " + jsonString(items[i].input) +
                      ", \"output\": " + jsonString(items[i].output) + ", \"error\": " + jsonString(result.errors[i]) +
                      "}";
        }
    }
    return "{\"files\": [" + files + "],\n\"failed\": [" + failed +
           "],\n\"summary\": {\"outdir\": " + jsonString(outDir) + ", \"inputs\": " + std::to_string(items.size()) +
           ", \"rendered\": " + std::to_string(static_cast<int>(items.size()) - result.failures()) +
           ", \"jobs\": " + std::to_string(result.jobs) + ", \"elapsed_s\": " + jsonNumber(result.seconds, 3) + "}}\n";
}

}  // namespace zarpacli
