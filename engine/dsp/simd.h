// The explicit vector types of the loops that vectorize across time. The kernel is built once per
// instruction set (instruction_set.h), so the same type fills whatever vector registers that build has.
// Each lane still evaluates its own sample in the written order (no fused multiply-add: the build keeps
// floating-point contraction off), so every build gives bit-identical results.
#pragma once

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <cstring>

#include "engine/dsp/stereo.h"

namespace zarpa::dsp::simd {

// Four doubles side by side; the compiler maps it onto whatever vector registers the build has.
typedef double Lanes __attribute__((vector_size(32)));
typedef long long LaneMask __attribute__((vector_size(32)));  // a > b gives all ones where it holds
inline constexpr int kLanes = 4;

// True when the comparison m holds in any lane: one sign-bit gather, not four lane extractions.
inline bool any(const LaneMask& m) {
#if defined(__AVX__)
    return _mm256_movemask_pd(reinterpret_cast<__m256d>(m)) != 0;
#elif defined(__SSE2__)
    typedef long long Half __attribute__((vector_size(16)));
    const Half both = __builtin_shufflevector(m, m, 0, 1) | __builtin_shufflevector(m, m, 2, 3);
    return _mm_movemask_pd(reinterpret_cast<__m128d>(both)) != 0;
#else
    return (m[0] | m[1] | m[2] | m[3]) != 0;
#endif
}

// out = a in the lanes where the sign bit of s is clear, b where it is set: one instruction with AVX,
// which reads the mask from the sign bits, so no comparison stands between s and the choice.
inline void selectBySign(const Lanes& s, const Lanes& a, const Lanes& b, Lanes& out) {
#if defined(__AVX__)
    out = _mm256_blendv_pd(a, b, s);
#else
    out = reinterpret_cast<LaneMask>(s) < 0 ? b : a;
#endif
}

// out = a < b ? a : b and out = a > b ? a : b per lane (b where either is NaN): exactly the rule of the
// processor's minimum and maximum instructions, which the compiler does not always find in the
// comparison and blend the expression reads as.
inline void lower(const Lanes& a, const Lanes& b, Lanes& out) {
#if defined(__AVX__)
    out = _mm256_min_pd(a, b);
#else
    out = a < b ? a : b;
#endif
}
inline void higher(const Lanes& a, const Lanes& b, Lanes& out) {
#if defined(__AVX__)
    out = _mm256_max_pd(a, b);
#else
    out = a > b ? a : b;
#endif
}

// The widest vector register of the build, for the long sums of consecutive samples: eight doubles
// with AVX-512, four with AVX2, two in the base set. (A type wider than the registers would be split by
// the compiler through memory.)
#if defined(__AVX512F__)
typedef double Wide __attribute__((vector_size(64)));
#elif defined(__AVX__)
typedef double Wide __attribute__((vector_size(32)));
#else
typedef double Wide __attribute__((vector_size(16)));
#endif
inline constexpr int kWideLanes = sizeof(Wide) / sizeof(double);
// How many Wide sums a loop keeps side by side: as many as leave room for its operands in the 16
// registers of AVX2 and the base set; four of the 32 registers of AVX-512.
inline constexpr int kWideSums = kWideLanes == 8 ? 4 : 8;

// The two channels of a stereo pair side by side (the base instruction set has this width everywhere).
typedef double Pair __attribute__((vector_size(16)));
typedef long long PairMask __attribute__((vector_size(16)));
typedef float NarrowPair __attribute__((vector_size(8)));

// The stages take and give Stereo; their loops compute on both channels as one Pair. Element by
// element, not through memory: a copy of the bytes lets the compiler carry a Stereo in two integer
// registers and meet the vector through the stack (the Windows build did), where the processor cannot
// forward two 8-byte stores to one 16-byte load and waits.
inline Pair pair(const Stereo& s) { return Pair{s.l, s.r}; }
inline Stereo stereo(Pair p) { return {p[0], p[1]}; }

// v > 1 ? v : 1 per channel, as the processor's maximum instruction (the compiler made it a comparison
// and a blend).
inline Pair atLeastOne(Pair v) {
    const Pair one = {1.0, 1.0};
#if defined(__SSE2__)
    return _mm_max_pd(v, one);
#else
    return v > one ? v : one;
#endif
}

// |v| per channel: the sign bit cleared, exactly as std::fabs.
inline Pair magnitude(Pair v) {
    return reinterpret_cast<Pair>(reinterpret_cast<PairMask>(v) & (PairMask{} + 0x7FFFFFFFFFFFFFFFll));
}

// v rounded to 32-bit precision and widened again, per channel, exactly as static_cast<float>.
// (The generic conversion of two lanes passes through the stack: a store and a load per call.)
inline Pair roundedToFloat(Pair v) {
#if defined(__SSE2__)
    return _mm_cvtps_pd(_mm_cvtpd_ps(v));
#else
    return __builtin_convertvector(__builtin_convertvector(v, NarrowPair), Pair);
#endif
}

// v rounded towards zero to an integer per channel, exactly as std::trunc: one instruction from SSE4.1 on,
// where the compiler rounds a lane at a time and joins the halves again.
inline Pair truncated(Pair v) {
#if defined(__SSE4_1__)
    return _mm_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
#else
    return Pair{__builtin_trunc(v[0]), __builtin_trunc(v[1])};
#endif
}

// By reference, never by value: vectors then never meet the calling convention, whatever the build.
// (Lanes, Wide and Pair may be one type in a build, so these are templates, not overloads.)
template <typename V>
inline void load(V& v, const double* p) { std::memcpy(&v, p, sizeof v); }
template <typename V>
inline void store(double* p, const V& v) { std::memcpy(p, &v, sizeof v); }

// Copies n doubles, a vector at a time, in line: the kernel's copies are a chunk long or shorter, where
// a library call costs more than the copy. dst may overlap src only below it (a history moved down).
inline void copyForward(double* dst, const double* src, int n) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        Lanes v;
        load(v, src + i);
        store(dst + i, v);
    }
    for (; i < n; ++i) dst[i] = src[i];
}

// v ← |v| per lane: the sign bit cleared, exactly as std::fabs.
template <typename V>
inline void makeMagnitude(V& v) {
    typedef long long Mask __attribute__((vector_size(sizeof(V))));
    v = reinterpret_cast<V>(reinterpret_cast<Mask>(v) & (Mask{} + 0x7FFFFFFFFFFFFFFFll));
}

}  // namespace zarpa::dsp::simd
