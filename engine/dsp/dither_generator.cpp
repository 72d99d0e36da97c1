// The triangular dither of a chunk: eight stretches of the generator's sequence side by side, one a
// vector lane, each started where the one before it ends by a jump over its draws.
#include "engine/dsp/dither_generator.h"

#include "engine/dsp/rate_config.h"

namespace zarpa::dsp {

namespace {

// Stretches side by side: a vector register of 32-bit words.
#if defined(__AVX512F__)
constexpr int kStreams = 16;
#else
constexpr int kStreams = 8;
#endif
constexpr int kStreamSamples = kChunkFrames / kStreams;  // samples of each
constexpr int kStreamDraws = 4 * kStreamSamples;         // draws (register steps) of each
static_assert(kStreams * kStreamSamples == kChunkFrames);

typedef std::uint32_t Words __attribute__((vector_size(4 * kStreams)));
typedef std::int32_t SignedWords __attribute__((vector_size(4 * kStreams)));
typedef double Draws __attribute__((vector_size(8 * kStreams)));

// A register's state kStreamDraws steps on. The steps are linear on the bits, so the state's jump is the
// exclusive or of its bits' jumps, looked up a byte at a time.
class Jump {
public:
    template <typename Step>
    constexpr explicit Jump(Step step) {
        std::uint32_t bit[32] = {};
        for (int b = 0; b < 32; ++b) {
            std::uint32_t s = 1u << b;
            for (int t = 0; t < kStreamDraws; ++t) s = step(s);
            bit[b] = s;
        }
        for (int k = 0; k < 4; ++k)
            for (unsigned v = 0; v < 256; ++v) {
                std::uint32_t e = 0;
                for (int i = 0; i < 8; ++i)
                    if (v >> i & 1u) e ^= bit[8 * k + i];
                table_[k][v] = e;
            }
    }

    std::uint32_t operator()(std::uint32_t s) const {
        return table_[0][s & 0xFFu] ^ table_[1][s >> 8 & 0xFFu] ^ table_[2][s >> 16 & 0xFFu] ^ table_[3][s >> 24];
    }

private:
    std::uint32_t table_[4][256] = {};
};

constexpr Jump kJumpFirst([](std::uint32_t s) { DitherGenerator::stepFirst(s); return s; });
constexpr Jump kJumpSecond([](std::uint32_t s) { DitherGenerator::stepSecond(s); return s; });
constexpr Jump kJumpThird([](std::uint32_t s) { DitherGenerator::stepThird(s); return s; });

}  // namespace

void DitherGenerator::triangularChunk(int n, Stereo* dither) {
    // Stretch j starts kStreamDraws·j steps after the generator's state.
    Words r1, r2, r3;
    std::uint32_t a = s1_, b = s2_, c = s3_;
    for (int j = 0; j < kStreams; ++j) {
        r1[j] = a;
        r2[j] = b;
        r3[j] = c;
        a = kJumpFirst(a);
        b = kJumpSecond(b);
        c = kJumpThird(c);
    }
    // The generator ends 4n steps on: in stretch `last`, after `lastSteps` of its own.
    const int last = (4 * n - 1) / kStreamDraws;
    const int lastSteps = 4 * n - last * kStreamDraws;
    for (int i = 0; i < kStreamSamples; ++i) {
        Draws u[4];
        for (int k = 0; k < 4; ++k) {
            stepFirst(r1);
            stepSecond(r2);
            stepThird(r3);
            // The unsigned words as doubles: offset into the signed range, converted, and back (exact).
            u[k] = __builtin_convertvector(SignedWords(r1 ^ r2 ^ r3 ^ 0x80000000u), Draws) + 2147483648.0;
            makeDraw(u[k]);
            if (4 * i + k + 1 == lastSteps) {
                s1_ = r1[last];
                s2_ = r2[last];
                s3_ = r3[last];
            }
        }
        // Sample i of each stretch, as triangular() gives it.
        const Draws left = (u[0] + u[1]) / 2.0, right = (u[2] + u[3]) / 2.0;
        for (int j = 0; j < kStreams; ++j) {
            const int sample = kStreamSamples * j + i;
            if (sample < n) dither[sample] = {left[j], right[j]};
        }
    }
}

}  // namespace zarpa::dsp
