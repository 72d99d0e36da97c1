// The explicit vector types of the loops that vectorize across time. The kernel is built once per
// instruction set (instruction_set.h), so the same type fills whatever vector registers that build has.
// Each lane still evaluates its own sample in the written order (no fused multiply-add: the build keeps
// floating-point contraction off), so every build gives bit-identical results.
#pragma once

#include <cstring>

namespace zarpa::dsp::simd {

// Four doubles side by side; the compiler maps it onto whatever vector registers the build has.
typedef double Lanes __attribute__((vector_size(32)));
typedef long long LaneMask __attribute__((vector_size(32)));  // a > b gives all ones where it holds
inline constexpr int kLanes = 4;

// Eight doubles side by side, for the long sums of consecutive samples: the widest build does each step
// of eight sums in one instruction, the others in two or four.
typedef double Wide __attribute__((vector_size(64)));
inline constexpr int kWideLanes = 8;

// The two channels of a stereo pair side by side (the base instruction set has this width everywhere).
typedef double Pair __attribute__((vector_size(16)));
typedef long long PairMask __attribute__((vector_size(16)));
typedef float NarrowPair __attribute__((vector_size(8)));

// |v| per channel: the sign bit cleared, exactly as std::fabs.
inline Pair magnitude(Pair v) {
    return reinterpret_cast<Pair>(reinterpret_cast<PairMask>(v) & (PairMask{} + 0x7FFFFFFFFFFFFFFFll));
}

// v rounded to 32-bit precision and widened again, per channel, exactly as static_cast<float>.
inline Pair roundedToFloat(Pair v) { return __builtin_convertvector(__builtin_convertvector(v, NarrowPair), Pair); }

// By reference, never by value: vectors then never meet the calling convention, whatever the build.
inline void load(Lanes& v, const double* p) { std::memcpy(&v, p, sizeof v); }
inline void store(double* p, const Lanes& v) { std::memcpy(p, &v, sizeof v); }
inline void load(Wide& v, const double* p) { std::memcpy(&v, p, sizeof v); }
inline void store(double* p, const Wide& v) { std::memcpy(p, &v, sizeof v); }

// v ← |v| per lane: the sign bit cleared, exactly as std::fabs.
inline void makeMagnitude(Lanes& v) {
    v = reinterpret_cast<Lanes>(reinterpret_cast<LaneMask>(v) & (LaneMask{} + 0x7FFFFFFFFFFFFFFFll));
}
inline void makeMagnitude(Wide& v) {
    typedef long long WideMask __attribute__((vector_size(64)));
    v = reinterpret_cast<Wide>(reinterpret_cast<WideMask>(v) & (WideMask{} + 0x7FFFFFFFFFFFFFFFll));
}

}  // namespace zarpa::dsp::simd
