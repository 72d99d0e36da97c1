// Nanoseconds per stereo frame of a plug-in binary loaded through our own host, for the cases where the
// Linux library and the Windows DLL (run under wine) are compared: Default, Default with Oversample on
// and "CD Master 3 [recon]", each at the given block sizes (float entry, 44.1 kHz). Built for both
// targets; scripts/bench.sh runs the two side by side. With --set options any plug-in (a peer) runs as
// one case with those parameters instead.
// Usage: zarpa_hosted_bench PLUGIN [seconds-per-case] [block...] [--set INDEX=VALUE]... [--name NAME]
// Prints one line per case and block: "<case>\t<block>\t<ns per frame>". The figure is the fastest
// batch of about 32768 frames: on a machine shared with other work, a batch that was never interrupted.
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
    std::string name;
    int preset = -1;          // factory preset whose parameters are set, -1: the one named name
    bool oversample = false;  // Oversample on over the preset
    std::vector<std::pair<int, float>> parameters = {};  // instead of a preset (a peer)
};

int presetNamed(const std::string& name) {
    for (int k = 0; k < zarpa::kNumPrograms; ++k)
        if (zarpa::factoryPreset(k).name == name) return k;
    return 0;
}

void apply(vsthost::Instance& instance, const Case& c) {
    if (!c.parameters.empty()) {
        for (const auto& [index, value] : c.parameters) instance.setParameter(index, value);
        return;
    }
    const int preset = c.preset >= 0 ? c.preset : presetNamed(c.name);
    for (int p = 0; p < zarpa::kNumParams; ++p) instance.setParameter(p, zarpa::factoryPreset(preset).values[p]);
    if (c.oversample) instance.setParameter(zarpa::kOversample, 0.75f);
}

// Runs the test signal through the instance in blocks of `block` for about `seconds`; ns per frame of
// the fastest batch.
double timeBlocks(vsthost::Instance& instance, const zarpabench::TestSignal& s, int block, double seconds) {
    using Clock = std::chrono::steady_clock;
    std::vector<float> outL(static_cast<std::size_t>(block)), outR(static_cast<std::size_t>(block));
    std::vector<float> inL(s.l), inR(s.r);
    const std::size_t last = inL.size() - static_cast<std::size_t>(block);
    const int batch = std::max(1, 32768 / block);
    std::size_t position = 0;
    double fastest = 1e300;
    const auto start = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        const auto batchStart = Clock::now();
        for (int b = 0; b < batch; ++b) {
            float* in[2] = {inL.data() + position, inR.data() + position};
            float* out[2] = {outL.data(), outR.data()};
            instance.process(in, out, block);
            position += static_cast<std::size_t>(block);
            if (position > last) position = 0;
        }
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - batchStart).count();
        fastest = std::min(fastest, ns / (static_cast<double>(batch) * block));
        instance.clearCalls();  // the host records every callback
    }
    return fastest;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PLUGIN [seconds-per-case] [block...]\n", argv[0]);
        return 2;
    }
    double seconds = 0.3;
    std::vector<int> blocks;
    Case peer{"peer"};
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--set" && i + 1 < argc) {
            const std::string setting = argv[++i];
            const std::size_t equals = setting.find('=');
            if (equals == std::string::npos) return 2;
            peer.parameters.emplace_back(std::atoi(setting.substr(0, equals).c_str()),
                                         static_cast<float>(std::atof(setting.substr(equals + 1).c_str())));
        } else if (arg == "--name" && i + 1 < argc) {
            peer.name = argv[++i];
        } else if (i == 2) {
            seconds = std::atof(argv[i]);
        } else {
            blocks.push_back(std::atoi(argv[i]));
        }
    }
    if (blocks.empty()) blocks = {64, 512};
    std::vector<Case> cases = {{"Default", 0}, {"Default Oversample", 0, true}, {"CD Master 3 [recon]"}};
    if (!peer.parameters.empty()) cases = {peer};

    vsthost::Library library(argv[1]);
    if (!library.ok()) {
        std::fprintf(stderr, "%s\n", library.error().c_str());
        return 1;
    }
    const zarpabench::TestSignal signal = zarpabench::makeTestSignal(44100, 4.0);
    std::vector<double> best(cases.size() * blocks.size(), 1e300);
    for (int round = 0; round < 3; ++round) {  // rounds interleave the cases; the fastest counts
        for (std::size_t c = 0; c < cases.size(); ++c) {
            for (std::size_t b = 0; b < blocks.size(); ++b) {
                vsthost::Instance instance(library);
                if (!instance.ok()) return 1;
                instance.dispatch(effOpen);  // plug-ins built on some frameworks stay silent without it
                instance.setSampleRate(44100.0f);
                instance.setBlockSize(blocks[b]);
                apply(instance, cases[c]);
                instance.resume();
                timeBlocks(instance, signal, blocks[b], seconds / 4);  // warm caches and the clock
                double& cell = best[c * blocks.size() + b];
                cell = std::min(cell, timeBlocks(instance, signal, blocks[b], seconds));
                instance.suspend();
            }
        }
    }
    for (std::size_t c = 0; c < cases.size(); ++c)
        for (std::size_t b = 0; b < blocks.size(); ++b)
            std::printf("%s\t%d\t%.2f\n", cases[c].name.c_str(), blocks[b], best[c * blocks.size() + b]);
    return 0;
}
