// Which build of the limiter kernel runs: the kernel is compiled for the base x86-64 instruction set,
// for AVX2 with FMA (x86-64-v3) and for AVX-512 (x86-64-v4), and one is chosen per process from what the
// processor supports. All give bit-identical output (no fused multiply-add in any of them).
#pragma once

#include <optional>
#include <string_view>

#include "engine/dsp/signal_path.h"

namespace zarpa::dsp {

enum class InstructionSet { Baseline, Avx2, Avx512 };
inline constexpr InstructionSet kInstructionSets[] = {InstructionSet::Baseline, InstructionSet::Avx2,
                                                      InstructionSet::Avx512};

// "baseline", "avx2", "avx512": the names ZARPA_CPU takes.
const char* instructionSetName(InstructionSet set);
std::optional<InstructionSet> instructionSetNamed(std::string_view name);

// Whether this build has the set's kernel and this processor (and its system) runs it.
bool isSupported(InstructionSet set);

// The kernel in use. Chosen on first use: the set named by the environment variable ZARPA_CPU when it
// is supported, else the widest supported one. Thread-safe.
const LimiterKernel& activeLimiterKernel();
InstructionSet activeInstructionSet();

// Switches every instance to set's kernel from its next block on (tests and benchmarks compare them).
// Returns false, changing nothing, when the set is not supported.
bool useInstructionSet(InstructionSet set);

}  // namespace zarpa::dsp
