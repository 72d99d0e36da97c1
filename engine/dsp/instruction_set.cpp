// Finds the kernel builds of this binary, asks the processor which it runs, and holds the one in use.
#include "engine/dsp/instruction_set.h"

#include <atomic>
#include <cstdlib>

// Each build of the kernel lives in its own namespace (so that no inline function of one is shared with
// another) and is found by an unmangled name. They all see the same classes under their own namespace
// name; pathSize confirms the layouts agree.
extern "C" zarpa::dsp::LimiterKernel zarpaLimiterKernelBaseline();
#if ZARPA_KERNEL_VARIANTS
extern "C" zarpa::dsp::LimiterKernel zarpaLimiterKernelAvx2();
extern "C" zarpa::dsp::LimiterKernel zarpaLimiterKernelAvx512();
#endif

namespace zarpa::dsp {

namespace {

constexpr int kSetCount = 3;

int indexOf(InstructionSet set) { return static_cast<int>(set); }

// What the processor and the system (which must save the wider registers) support.
bool processorRuns(InstructionSet set) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    switch (set) {
        case InstructionSet::Baseline: return true;
#if defined(__clang__)
        case InstructionSet::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi") &&
                   __builtin_cpu_supports("bmi2");
        case InstructionSet::Avx512:
            return processorRuns(InstructionSet::Avx2) && __builtin_cpu_supports("avx512f") &&
                   __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512cd") &&
                   __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
#else
        case InstructionSet::Avx2: return __builtin_cpu_supports("x86-64-v3");
        case InstructionSet::Avx512: return __builtin_cpu_supports("x86-64-v4");
#endif
    }
    return false;
#else
    return set == InstructionSet::Baseline;
#endif
}

struct KernelTable {
    LimiterKernel kernels[kSetCount] = {};
    bool supported[kSetCount] = {};

    KernelTable() {
        kernels[0] = zarpaLimiterKernelBaseline();
#if ZARPA_KERNEL_VARIANTS
        kernels[1] = zarpaLimiterKernelAvx2();
        kernels[2] = zarpaLimiterKernelAvx512();
#endif
        for (InstructionSet set : kInstructionSets) {
            const int i = indexOf(set);
            supported[i] = kernels[i].limitFloat && kernels[i].pathSize == sizeof(SignalPath) && processorRuns(set);
        }
    }
};

const KernelTable& table() {
    static const KernelTable instance;
    return instance;
}

std::atomic<const LimiterKernel*> active{nullptr};

InstructionSet initialChoice() {
    const char* forced = std::getenv("ZARPA_CPU");
    if (forced) {
        const std::optional<InstructionSet> set = instructionSetNamed(forced);
        if (set && isSupported(*set)) return *set;
    }
    InstructionSet widest = InstructionSet::Baseline;
    for (InstructionSet set : kInstructionSets)
        if (isSupported(set)) widest = set;
    return widest;
}

}  // namespace

const char* instructionSetName(InstructionSet set) {
    switch (set) {
        case InstructionSet::Baseline: return "baseline";
        case InstructionSet::Avx2: return "avx2";
        case InstructionSet::Avx512: return "avx512";
    }
    return "?";
}

std::optional<InstructionSet> instructionSetNamed(std::string_view name) {
    for (InstructionSet set : kInstructionSets)
        if (name == instructionSetName(set)) return set;
    return std::nullopt;
}

bool isSupported(InstructionSet set) { return table().supported[indexOf(set)]; }

const LimiterKernel& activeLimiterKernel() {
    if (const LimiterKernel* kernel = active.load(std::memory_order_acquire)) return *kernel;
    static const bool chosen = [] {
        const LimiterKernel* none = nullptr;
        active.compare_exchange_strong(none, &table().kernels[indexOf(initialChoice())]);
        return true;
    }();
    (void)chosen;
    return *active.load(std::memory_order_acquire);
}

InstructionSet activeInstructionSet() {
    const LimiterKernel* kernel = &activeLimiterKernel();
    return static_cast<InstructionSet>(kernel - table().kernels);
}

bool useInstructionSet(InstructionSet set) {
    if (!isSupported(set)) return false;
    active.store(&table().kernels[indexOf(set)], std::memory_order_release);
    return true;
}

}  // namespace zarpa::dsp
