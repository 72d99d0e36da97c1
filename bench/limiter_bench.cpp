// Nanoseconds per stereo frame: every factory preset in both processing entries at 44.1 kHz, the
// heaviest window at 192 kHz, and two peer limiters on the same audio. After the run a table gives
// each peer's time and its ratio to ours.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/test_signal.h"
#include "engine/dsp/half_sample_interpolator.h"
#include "engine/dsp/instruction_set.h"
#include "engine/dsp/rate_config.h"
#include "engine/parameters.h"
#include "hostlib/vst_host.h"
#include "plugin/plugin.h"
#include "presets/factory_presets.h"

namespace {

constexpr int kBlock = 512;

template <typename T>
struct Channels {
    T* in[2];
    T* out[2];
};

// Seconds per stereo frame, a block of kBlock frames an iteration (the console prints it with an SI
// prefix, e.g. 21.5n).
void countFrames(benchmark::State& state) {
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Feeds the test signal block by block, looping, into process(in, out, frames).
template <typename T, typename Process>
void runBlocks(benchmark::State& state, const std::vector<T>& l, const std::vector<T>& r, Process&& process) {
    std::vector<T> inL(l), inR(r), outL(kBlock), outR(kBlock);
    const std::size_t n = inL.size() - kBlock;
    std::size_t position = 0;
    for (auto _ : state) {
        T* in[2] = {inL.data() + position, inR.data() + position};
        T* out[2] = {outL.data(), outR.data()};
        process(in, out, kBlock);
        benchmark::DoNotOptimize(outL.data());
        position += kBlock;
        if (position > n) position = 0;
    }
    countFrames(state);
}

const zarpabench::TestSignal& signalAt(int rate) {
    static std::map<int, zarpabench::TestSignal> signals;
    auto it = signals.find(rate);
    if (it == signals.end()) it = signals.emplace(rate, zarpabench::makeTestSignal(rate, 4.0)).first;
    return it->second;
}

std::unique_ptr<zarpa::Plugin> makeEffect(int program, float rate) {
    auto effect = std::make_unique<zarpa::Plugin>(nullptr);
    effect->selectProgram(program);
    effect->setSampleRate(rate);
    return effect;
}

void presetFloat(benchmark::State& state) {
    auto effect = makeEffect(static_cast<int>(state.range(0)), 44100.0f);
    const auto& s = signalAt(44100);
    runBlocks(state, s.l, s.r, [&](float** in, float** out, int n) { effect->processReplacing(in, out, n); });
}

void presetDouble(benchmark::State& state) {
    auto effect = makeEffect(static_cast<int>(state.range(0)), 44100.0f);
    const auto& s = signalAt(44100);
    runBlocks(state, s.l64, s.r64,
              [&](double** in, double** out, int n) { effect->processDoubleReplacing(in, out, n); });
}

// "Default" at 192 kHz with the soft transient shape: the longest window, N = 256, L = 512.
template <typename T>
void softAt192k(benchmark::State& state) {
    auto effect = makeEffect(0, 192000.0f);
    effect->setParameter(zarpa::kTransShape, zarpa::stepToValue(2, 3));
    const auto& s = signalAt(192000);
    if constexpr (sizeof(T) == 4)
        runBlocks(state, s.l, s.r, [&](float** in, float** out, int n) { effect->processReplacing(in, out, n); });
    else
        runBlocks(state, s.l64, s.r64,
                  [&](double** in, double** out, int n) { effect->processDoubleReplacing(in, out, n); });
}

// The half-sample sums of both interpolators (the detector's and the output meters', both channels each)
// alone, chunk by chunk as the kernel runs them: what the interpolators cost per frame, whatever the
// rest of the kernel does beside them.
void interpolatorSums(benchmark::State& state) {
    using zarpa::dsp::HalfSampleInterpolator;
    constexpr int kChunk = zarpa::dsp::kChunkFrames;
    const auto sums = zarpa::dsp::activeLimiterKernel().halfSampleSums;
    const auto& s = signalAt(44100);
    // A block of the test signal behind the interpolator's history, with the room its last group reads.
    const std::size_t length = HalfSampleInterpolator::kLength - 1 + kBlock + HalfSampleInterpolator::kGroup;
    const std::vector<double> l(s.l.begin(), s.l.begin() + static_cast<std::ptrdiff_t>(length));
    const std::vector<double> r(s.r.begin(), s.r.begin() + static_cast<std::ptrdiff_t>(length));
    std::vector<double> half(kChunk);
    for (auto _ : state) {
        for (int start = 0; start < kBlock; start += kChunk) {
            for (const std::vector<double>* channel : {&l, &r, &l, &r}) {  // detector, then output meters
                sums(channel->data() + start, kChunk, half.data());
                benchmark::DoNotOptimize(half.data());
            }
        }
    }
    countFrames(state);
}

// A plug-in loaded through our own host at 44.1 kHz with one parameter set.
void hosted(benchmark::State& state, const std::string& path, int parameter, float value) {
    vsthost::Library library(path);
    if (!library.ok()) {
        state.SkipWithError(library.error().c_str());
        return;
    }
    vsthost::Instance instance(library);
    if (!instance.ok()) {
        state.SkipWithError("no instance");
        return;
    }
    instance.dispatch(effOpen);  // plug-ins built on some frameworks stay silent without it
    instance.setSampleRate(44100.0f);
    instance.setBlockSize(kBlock);
    if (parameter >= 0) instance.setParameter(parameter, value);
    instance.resume();
    const auto& s = signalAt(44100);
    int calls = 0;
    runBlocks(state, s.l, s.r, [&](float** in, float** out, int n) {
        instance.process(in, out, n);
        if (++calls % 256 == 0) instance.clearCalls();  // the host records every callback
    });
    instance.suspend();
}

void registerAll() {
    for (int k = 0; k < zarpa::kNumPrograms; ++k) {
        const std::string name = zarpa::factoryPreset(k).name;
        benchmark::RegisterBenchmark(("float/" + name).c_str(), presetFloat)->Arg(k);
        benchmark::RegisterBenchmark(("double/" + name).c_str(), presetDouble)->Arg(k);
    }
    benchmark::RegisterBenchmark("float/Default 192k soft", softAt192k<float>);
    benchmark::RegisterBenchmark("double/Default 192k soft", softAt192k<double>);
    benchmark::RegisterBenchmark("kernel/interpolator sums", interpolatorSums);

    const std::string ours = vsthost::defaultPluginPath();
    const int oversample = zarpa::kOversample;
    benchmark::RegisterBenchmark("peer/ours Default", [ours](benchmark::State& s) { hosted(s, ours, -1, 0); });
    benchmark::RegisterBenchmark("peer/ours Default Oversample", [ours, oversample](benchmark::State& s) {
        hosted(s, ours, oversample, 0.75f);
    });
    const std::string lsp = "/usr/lib/vst/lsp-plugins/limiter-stereo.so";
    benchmark::RegisterBenchmark("peer/LSP oversampling None", [lsp](benchmark::State& s) { hosted(s, lsp, 14, 0.0f); });
    benchmark::RegisterBenchmark("peer/LSP oversampling Half x4", [lsp](benchmark::State& s) { hosted(s, lsp, 14, 0.3f); });
    const std::string zam = "/usr/lib/vst/ZaMaximX2-vst.so";
    benchmark::RegisterBenchmark("peer/ZaMaximX2", [zam](benchmark::State& s) { hosted(s, zam, -1, 0); });
}

// Collects ns per frame by benchmark name for the comparison table.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> nsPerFrame;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto it = run.counters.find("per_frame");
            if (it != run.counters.end() && !run.error_occurred)
                nsPerFrame[run.benchmark_name()] = it->second.value * 1e9;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void printComparison(const std::map<std::string, double>& ns) {
    auto find = [&](const std::string& name) { auto it = ns.find(name); return it == ns.end() ? 0.0 : it->second; };
    const double ours = find("peer/ours Default"), oursOvs = find("peer/ours Default Oversample");
    if (ours <= 0.0) return;
    std::printf("\n%-36s %12s %14s\n", "side by side (44.1 kHz, float)", "ns/frame", "ours/peer");
    const struct { const char* name; double reference; } rows[] = {
        {"peer/ours Default", ours},
        {"peer/ours Default Oversample", oursOvs},
        {"peer/LSP oversampling None", ours},
        {"peer/LSP oversampling Half x4", oursOvs},
        {"peer/ZaMaximX2", ours},
    };
    for (const auto& row : rows) {
        const double t = find(row.name);
        if (t > 0.0) std::printf("%-36s %12.2f %14.3f\n", row.name + 5, t, row.reference / t);
        else std::printf("%-36s %12s\n", row.name + 5, "n/a");
    }

    // Default, "CD Master 3 [recon]" (true-peak detection, oversampled meters, a 16-bit requantizer with
    // noise shaping) and, alone, the sums of its two interpolators, as multiples of the plain peer.
    const double plain = find("peer/LSP oversampling None");
    if (plain <= 0.0) return;
    std::printf("\n%-36s %12s %14s\n", "against LSP oversampling None", "ns/frame", "x LSP None");
    for (const char* name : {"float/Default/0", "float/CD Master 3 [recon]/10", "kernel/interpolator sums"}) {
        const double t = find(name);
        if (t > 0.0) std::printf("%-36s %12.2f %14.3f\n", name, t, t / plain);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printComparison(reporter.nsPerFrame);
    benchmark::Shutdown();
    return 0;
}
