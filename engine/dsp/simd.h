// Lets the few loops that vectorize across time run with the widest vector unit of the machine.
// Each lane still evaluates its own sample in the written order (no fused multiply-add: the build
// keeps floating-point contraction off), so every variant gives bit-identical results.
#pragma once

// Sanitizer builds keep the plain version: the clones' resolvers run during relocation, before a
// sanitizer runtime is ready.
#if defined(__linux__) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define ZARPA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define ZARPA_VECTOR_CLONES
#endif
