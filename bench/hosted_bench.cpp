// Nanoseconds per stereo frame of a plug-in binary loaded through our own host, for the cases where the
// Linux library and the Windows DLL (run under wine) are compared: Default, Default with Oversample on
// and "CD Master 3 [recon]", each at the given block sizes (float entry, 44.1 kHz). Built for both
// targets; scripts/bench.sh runs the two side by side.
// Usage: zarpa_hosted_bench PLUGIN [seconds-per-case] [block...]
// Prints one line per case and block: "<case>\t<block>\t<ns per frame>" (the fastest of three rounds).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/test_signal.h"
#include "engine/parameters.h"
#include "hostlib/vst_host.h"
#include "presets/factory_presets.h"

namespace {

struct Case {
    const char* name;
    int preset;      // factory preset whose parameters are set
    bool oversample; // Oversample on over the preset
};

constexpr Case kCases[] = {{"Default", 0, false}, {"Default Oversample", 0, true}, {"CD Master 3 [recon]", -1, false}};

int presetNamed(const char* name) {
    for (int k = 0; k < zarpa::kNumPrograms; ++k)
        if (std::string(zarpa::factoryPreset(k).name) == name) return k;
    return 0;
}

// Runs the test signal through the instance in blocks of `block` for about `seconds`; ns per frame.
double timeBlocks(vsthost::Instance& instance, const zarpabench::TestSignal& s, int block, double seconds) {
    std::vector<float> outL(static_cast<std::size_t>(block)), outR(static_cast<std::size_t>(block));
    std::vector<float> inL(s.l), inR(s.r);
    const std::size_t last = inL.size() - static_cast<std::size_t>(block);
    std::size_t position = 0;
    long long frames = 0;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0.0;
    while (elapsed < seconds) {
        for (int b = 0; b < 64; ++b) {
            float* in[2] = {inL.data() + position, inR.data() + position};
            float* out[2] = {outL.data(), outR.data()};
            instance.process(in, out, block);
            frames += block;
            position += static_cast<std::size_t>(block);
            if (position > last) position = 0;
        }
        instance.clearCalls();  // the host records every callback
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return elapsed * 1e9 / static_cast<double>(frames);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PLUGIN [seconds-per-case] [block...]\n", argv[0]);
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 0.3;
    std::vector<int> blocks;
    for (int i = 3; i < argc; ++i) blocks.push_back(std::atoi(argv[i]));
    if (blocks.empty()) blocks = {64, 512};

    vsthost::Library library(argv[1]);
    if (!library.ok()) {
        std::fprintf(stderr, "%s\n", library.error().c_str());
        return 1;
    }
    const zarpabench::TestSignal signal = zarpabench::makeTestSignal(44100, 4.0);
    std::vector<double> best(std::size(kCases) * blocks.size(), 1e300);
    for (int round = 0; round < 3; ++round) {  // rounds interleave the cases; the fastest round counts
        for (std::size_t c = 0; c < std::size(kCases); ++c) {
            for (std::size_t b = 0; b < blocks.size(); ++b) {
                vsthost::Instance instance(library);
                if (!instance.ok()) return 1;
                instance.setSampleRate(44100.0f);
                instance.setBlockSize(blocks[b]);
                const int preset = kCases[c].preset >= 0 ? kCases[c].preset : presetNamed(kCases[c].name);
                for (int p = 0; p < zarpa::kNumParams; ++p)
                    instance.setParameter(p, zarpa::factoryPreset(preset).values[p]);
                if (kCases[c].oversample) instance.setParameter(zarpa::kOversample, 0.75f);
                instance.resume();
                timeBlocks(instance, signal, blocks[b], seconds / 4);  // warm caches and the clock
                double& cell = best[c * blocks.size() + b];
                cell = std::min(cell, timeBlocks(instance, signal, blocks[b], seconds));
                instance.suspend();
            }
        }
    }
    for (std::size_t c = 0; c < std::size(kCases); ++c)
        for (std::size_t b = 0; b < blocks.size(); ++b)
            std::printf("%s\t%d\t%.2f\n", kCases[c].name, blocks[b], best[c * blocks.size() + b]);
    return 0;
}
