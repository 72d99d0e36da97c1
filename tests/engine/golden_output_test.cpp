// Golden output: every factory preset renders a fixed music-like signal to exactly the bits recorded
// from the reference version of the signal path. Any change of arithmetic or order that alters a single
// output bit or meter value fails here, so speed work on the kernel can prove itself bit-exact. Every
// build of the kernel this processor runs (base x86-64, AVX2, AVX-512) must give the same bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/dsp/instruction_set.h"
#include "engine/parameters.h"
#include "plugin/plugin.h"
#include "presets/factory_presets.h"
#include "tests/engine/kernel_build_fixture.h"
#include "tests/foundation/temp_config.h"

namespace {

// A kick with a falling pitch, a bass line, a chord and decaying noise bursts, peaking above full scale
// so that every preset limits and the clip is reached. Built from exact arithmetic only (integer phase
// counters, a parabolic sine, an integer noise generator), so the signal is the same on every platform.
struct MusicLikeSignal {
    std::vector<double> l, r;

    MusicLikeSignal(int frames, int rate) : l(static_cast<std::size_t>(frames)), r(static_cast<std::size_t>(frames)) {
        std::uint32_t noise = 12345u;
        std::uint32_t kickPhase = 0, bassPhase = 0, chordA = 0, chordB = 0;
        double kickEnvelope = 0.0, hatEnvelope = 0.0;
        const int beat = rate / 2;  // 120 bpm
        const double scale = 44100.0 / rate;
        for (int i = 0; i < frames; ++i) {
            if (i % beat == 0) kickEnvelope = 1.0;
            if (i % (beat / 4) == 0) hatEnvelope = 1.0;
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(static_cast<std::int32_t>(noise)) / 2147483648.0;
            kickPhase += static_cast<std::uint32_t>((4.0e6 + 1.2e7 * kickEnvelope) * scale);
            bassPhase += static_cast<std::uint32_t>(5.4e6 * scale);
            chordA += static_cast<std::uint32_t>(2.14e7 * scale);
            chordB += static_cast<std::uint32_t>(2.7e7 * scale);
            const double kick = 1.1 * kickEnvelope * sine(kickPhase);
            const double bass = 0.35 * sine(bassPhase);
            const double chord = 0.12 * (sine(chordA) + sine(chordB));
            const double hats = 0.3 * hatEnvelope * white;
            l[static_cast<std::size_t>(i)] = kick + bass + chord + hats;
            r[static_cast<std::size_t>(i)] = kick + bass - 0.8 * chord + 0.5 * hats;
            kickEnvelope *= 1.0 - 20.0 / rate;
            hatEnvelope *= 1.0 - 300.0 / rate;
        }
    }

    // Parabolic approximation of the sine of a 32-bit phase.
    static double sine(std::uint32_t phase) {
        const double x = static_cast<double>(static_cast<std::int32_t>(phase)) / 2147483648.0;  // -1..1
        return 4.0 * x * (1.0 - (x < 0 ? -x : x));
    }
};

// FNV-1a over the bytes of every value.
class BitHash {
public:
    template <typename T>
    void add(const T* values, std::size_t count) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(values);
        for (std::size_t i = 0; i < count * sizeof(T); ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001b3ull;
    }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

enum class Variant { Rate44k, Soft192k, Oversample44k };

// Renders the signal through the effect set to a factory preset: the output of every block and the ten
// meter values read after it, in block sizes that vary so that chunk edges fall everywhere.
template <typename T>
std::uint64_t render(int preset, Variant variant) {
    const int rate = variant == Variant::Soft192k ? 192000 : 44100;
    const int frames = variant == Variant::Soft192k ? 24000 : 12000;
    const MusicLikeSignal signal(frames, rate);
    std::vector<T> inL(signal.l.begin(), signal.l.end()), inR(signal.r.begin(), signal.r.end());
    std::vector<T> outL(inL.size()), outR(inR.size());

    auto effect = std::make_unique<zarpa::Plugin>(nullptr);
    effect->setSampleRate(static_cast<float>(rate));
    const zarpa::FactoryPreset& p = zarpa::factoryPreset(preset);
    for (int i = 0; i < zarpa::kNumParams; ++i) effect->setParameter(i, p.values[i]);
    if (variant == Variant::Soft192k) effect->setParameter(zarpa::kTransShape, zarpa::stepToValue(2, 3));
    if (variant == Variant::Oversample44k) effect->setParameter(zarpa::kOversample, 0.75f);
    effect->suspend();

    BitHash hash;
    constexpr int kBlockSizes[] = {512, 64, 1, 333, 2048, 65, 7};
    int start = 0;
    for (int b = 0; start < frames; ++b) {
        const int n = std::min(kBlockSizes[b % 7], frames - start);
        T* in[2] = {inL.data() + start, inR.data() + start};
        T* out[2] = {outL.data() + start, outR.data() + start};
        if constexpr (sizeof(T) == 4)
            effect->processReplacing(in, out, n);
        else
            effect->processDoubleReplacing(in, out, n);
        hash.add(out[0], static_cast<std::size_t>(n));
        hash.add(out[1], static_cast<std::size_t>(n));
        float meters[10];
        effect->getMeterValues(meters);
        hash.add(meters, 10);
        start += n;
    }
    return hash.value();
}

// Per preset: float and double at 44.1 kHz, at 192 kHz with the soft transient shape, and at 44.1 kHz
// with Oversample on. Recorded from the reference version of the signal path.
constexpr std::uint64_t kGolden[][6] = {
#include "tests/engine/golden_output_hashes.inc"
};

}  // namespace

class GoldenOutput : public enginetest::EveryKernelBuild {};

TEST_P(GoldenOutput, EveryFactoryPresetRendersTheRecordedBitsInBothEntries) {
    ASSERT_EQ(zarpa::dsp::activeInstructionSet(), GetParam());
    TempConfigHome config;
    static_assert(sizeof(kGolden) / sizeof(kGolden[0]) == zarpa::kNumPrograms);
    const Variant variants[3] = {Variant::Rate44k, Variant::Soft192k, Variant::Oversample44k};
    const char* variantNames[3] = {"44.1 kHz", "192 kHz soft", "44.1 kHz oversampled"};
    std::string table;  // the whole table as rendered now, printed on a mismatch for a deliberate update
    for (int preset = 0; preset < zarpa::kNumPrograms; ++preset) {
        std::uint64_t got[6];
        for (int v = 0; v < 3; ++v) {
            got[2 * v] = render<float>(preset, variants[v]);
            got[2 * v + 1] = render<double>(preset, variants[v]);
        }
        char row[256];
        std::snprintf(row, sizeof row, "{0x%016llxull, 0x%016llxull, 0x%016llxull, 0x%016llxull, 0x%016llxull, "
                      "0x%016llxull},  // %s\n",
                      static_cast<unsigned long long>(got[0]), static_cast<unsigned long long>(got[1]),
                      static_cast<unsigned long long>(got[2]), static_cast<unsigned long long>(got[3]),
                      static_cast<unsigned long long>(got[4]), static_cast<unsigned long long>(got[5]),
                      zarpa::factoryPreset(preset).name);
        table += row;
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(got[k], kGolden[preset][k]) << zarpa::factoryPreset(preset).name << ", " << variantNames[k / 2]
                                                  << (k % 2 ? ", 64-bit entry" : ", 32-bit entry");
    }
    if (HasFailure()) std::printf("Rendered now:\n%s", table.c_str());
}

INSTANTIATE_FOR_EVERY_KERNEL_BUILD(GoldenOutput);

// The build chosen before any test switched it.
const zarpa::dsp::InstructionSet chosenAtStart = zarpa::dsp::activeInstructionSet();

TEST(KernelBuilds, StartWithTheBuildZarpaCpuNamesElseTheWidestTheProcessorRuns) {
    using zarpa::dsp::InstructionSet;
    InstructionSet widest = InstructionSet::Baseline;
    for (InstructionSet set : zarpa::dsp::kInstructionSets)
        if (zarpa::dsp::isSupported(set)) widest = set;
    const char* forced = std::getenv("ZARPA_CPU");
    const auto named = forced ? zarpa::dsp::instructionSetNamed(forced) : std::nullopt;
    EXPECT_EQ(chosenAtStart, named && zarpa::dsp::isSupported(*named) ? *named : widest)
        << "ZARPA_CPU=" << (forced ? forced : "(unset)");
}

TEST(KernelBuilds, TheBaseBuildAlwaysRunsAndAnUnsupportedBuildIsRefused) {
    using zarpa::dsp::InstructionSet;
    const InstructionSet original = zarpa::dsp::activeInstructionSet();
    EXPECT_TRUE(zarpa::dsp::isSupported(InstructionSet::Baseline));
    for (InstructionSet set : zarpa::dsp::kInstructionSets) {
        EXPECT_EQ(zarpa::dsp::instructionSetNamed(zarpa::dsp::instructionSetName(set)), set);
        const InstructionSet before = zarpa::dsp::activeInstructionSet();
        EXPECT_EQ(zarpa::dsp::useInstructionSet(set), zarpa::dsp::isSupported(set));
        EXPECT_EQ(zarpa::dsp::activeInstructionSet(), zarpa::dsp::isSupported(set) ? set : before);
    }
    EXPECT_FALSE(zarpa::dsp::instructionSetNamed("avx3"));
    zarpa::dsp::useInstructionSet(original);
}
