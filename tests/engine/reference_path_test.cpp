// The chunked limiter kernel against the reference path in signal order, bit for bit: every output
// sample and every meter value, over random settings changed between blocks, random block lengths and
// signals, at every rate class and transient shape, in both precisions, for every build of the kernel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "engine/dsp/signal_path.h"
#include "tests/engine/kernel_build_fixture.h"

using namespace zarpa::dsp;

namespace {

class Random {
public:
    explicit Random(std::uint32_t seed) : rng_(seed) {}
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }

private:
    std::mt19937 rng_;
};

// Settings of every kind, with the values at the ends of their ranges now and then. Gains change less
// often than the rest, so that the glides settle (the kernel then stops stepping them).
void changeSettings(Random& rnd, BlockSettings& s) {
    if (rnd.chance(0.3)) s.driveTarget = rnd.chance(0.2) ? 1.0 : std::pow(2.0, rnd.uniform(-4.0, 4.0));
    if (rnd.chance(0.3)) s.outputTarget = rnd.chance(0.2) ? 1.0 : rnd.uniform(0.25, 1.0);
    s.autoOut = rnd.chance(0.3);
    s.levellerThreshold = std::pow(2.0, 2.0 * (rnd.uniform(0.25, 1.0) - 1.0));
    s.levellerOff = rnd.chance(0.4);
    s.oversample = rnd.chance(0.5);
    s.link = rnd.chance(0.3) ? static_cast<double>(rnd.below(2)) : rnd.uniform(0.0, 1.0);
    s.twoStageFollowers = rnd.chance(0.5);
    s.transientMix = rnd.chance(0.2) ? 0.0 : rnd.uniform(0.0, 0.5);
    s.power = !rnd.chance(0.15);
    s.attShow = rnd.below(8);
    s.postMeter = rnd.chance(0.5);
    s.meterOversample = rnd.chance(0.5);
    s.quantize = rnd.chance(0.5);
    s.quantizerScale = std::array{128.0, 32768.0, 8388608.0}[static_cast<std::size_t>(rnd.below(3))];
    s.autoblack = rnd.chance(0.5);
}

// A block of input: noise or a sine at a random level (often above full scale), stretches of digital
// silence (auto-black), lone spikes, and now and then a value no input should carry.
template <typename T>
void fillInput(Random& rnd, std::vector<T>& l, std::vector<T>& r) {
    const int kind = rnd.below(4);
    const double amplitude = kind == 3 ? 0.0 : std::pow(10.0, rnd.uniform(-3.0, 1.2));
    const double cycles = rnd.uniform(0.001, 0.49);
    const double phase = rnd.uniform(0.0, 6.0);
    for (std::size_t i = 0; i < l.size(); ++i) {
        const double t = static_cast<double>(i);
        const double a = kind == 0 ? amplitude * std::sin(cycles * 6.283185307179586 * t + phase)
                                   : amplitude * rnd.uniform(-1.0, 1.0);
        l[i] = static_cast<T>(a);
        r[i] = static_cast<T>(kind == 2 ? -0.5 * a : amplitude * rnd.uniform(-1.0, 1.0));
        if (rnd.chance(0.002)) l[i] = static_cast<T>(rnd.uniform(-8.0, 8.0));
    }
    if (rnd.chance(0.1) && !l.empty()) {
        const T odd[] = {std::numeric_limits<T>::quiet_NaN(), std::numeric_limits<T>::infinity(),
                         -std::numeric_limits<T>::infinity(), static_cast<T>(1e30), static_cast<T>(-3e25)};
        l[static_cast<std::size_t>(rnd.below(static_cast<int>(l.size())))] = odd[rnd.below(5)];
        r[static_cast<std::size_t>(rnd.below(static_cast<int>(r.size())))] = odd[rnd.below(5)];
    }
}

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Every meter value, compared as bits.
void expectSameMeters(const MeterLevels& fast, const MeterLevels& reference, int block) {
    for (std::size_t c = 0; c < 2; ++c) {
        ASSERT_EQ(bits(fast.inputPeak[c]), bits(reference.inputPeak[c])) << "input peak, block " << block;
        ASSERT_EQ(bits(fast.outputPeak[c]), bits(reference.outputPeak[c])) << "output peak, block " << block;
        ASSERT_EQ(bits(fast.inputMeanSquare[c]), bits(reference.inputMeanSquare[c])) << "input level, block " << block;
        ASSERT_EQ(bits(fast.outputMeanSquare[c]), bits(reference.outputMeanSquare[c]))
            << "output level, block " << block;
        ASSERT_EQ(bits(fast.gain[c]), bits(reference.gain[c])) << "gain reduction, block " << block;
    }
}

// What a run went through, so that a run that never limited, quantized or metered cannot pass unseen.
struct Coverage {
    int limitedBlocks = 0;    // gain-reduction meter below 0.5
    int clippedSamples = 0;   // at full scale (up to the clip's rounding)
    int quantizedBlocks = 0;
    int meterOversampledBlocks = 0;
};

// Two signal paths set up alike; one runs the kernel, the other the reference, block after block with
// the same settings and input. Adds what the run went through to seen.
template <typename T>
void compareOverRandomBlocks(int rate, int shape, std::uint32_t seed, Coverage& seen) {
    const double releaseMs = 200.0;
    const auto fast = std::make_unique<SignalPath>(makeRateConfig(44100, 0), releaseMs);
    const auto reference = std::make_unique<SignalPath>(makeRateConfig(44100, 0), releaseMs);
    Random rnd(seed);
    BlockSettings s;
    changeSettings(rnd, s);
    const int noiseShape = rnd.below(4);
    for (SignalPath* p : {fast.get(), reference.get()}) {
        p->setRate(makeRateConfig(rate, shape), releaseMs, noiseShape);
        p->reset(s.driveTarget, s.outputTarget);
    }
    constexpr int kBlocks = 20;
    for (int block = 0; block < kBlocks; ++block) {
        // Between blocks, as the processing frame does it: settings, release, noise shape, the editor's
        // read-out of the meters, AttShow restarting the gain minima; half-way a change of transient shape
        // (new window, then a reset).
        changeSettings(rnd, s);
        const double newRelease = std::pow(10.0, rnd.uniform(0.0, 3.0));
        const int newNoiseShape = rnd.below(4);
        const bool metersRead = rnd.chance(0.5), gainsRestarted = rnd.chance(0.2);
        for (SignalPath* p : {fast.get(), reference.get()}) {
            if (block % 3 == 1) p->setReleaseMs(newRelease);
            if (block % 4 == 2) p->selectNoiseShape(newNoiseShape);
            if (metersRead) p->meters().restartHolds();
            if (gainsRestarted) p->meters().restartGains();
            if (block == kBlocks / 2) {
                p->setWindow(makeRateConfig(rate, (shape + 1) % kShapeSteps));
                p->reset(s.driveTarget, s.outputTarget);
            }
        }

        const int n = rnd.chance(0.15) ? 1 + rnd.below(8) : 1 + rnd.below(2048);
        std::vector<T> inL(static_cast<std::size_t>(n)), inR(inL.size());
        fillInput(rnd, inL, inR);
        // Now and then in place, as hosts may run it: the outputs are the input buffers.
        std::vector<T> fastL(inL), fastR(inR), referenceL(inL), referenceR(inR);
        if (rnd.chance(0.25)) {
            fast->processLimiter(fastL.data(), fastR.data(), fastL.data(), fastR.data(), n, s);
            reference->processReference(referenceL.data(), referenceR.data(), referenceL.data(), referenceR.data(), n, s);
        } else {
            fast->processLimiter(inL.data(), inR.data(), fastL.data(), fastR.data(), n, s);
            reference->processReference(inL.data(), inR.data(), referenceL.data(), referenceR.data(), n, s);
        }

        for (std::size_t i = 0; i < inL.size(); ++i) {
            ASSERT_EQ(bits(fastL[i]), bits(referenceL[i]))
                << "left, block " << block << " of " << n << " frames, sample " << i << ": " << fastL[i] << " "
                << referenceL[i];
            ASSERT_EQ(bits(fastR[i]), bits(referenceR[i]))
                << "right, block " << block << " of " << n << " frames, sample " << i << ": " << fastR[i] << " "
                << referenceR[i];
            if (std::fabs(fastL[i]) > 0.999999) ++seen.clippedSamples;
        }
        expectSameMeters(fast->meters().levels(), reference->meters().levels(), block);
        if (reference->meters().levels().gain[0] < 0.5) ++seen.limitedBlocks;
        seen.quantizedBlocks += s.quantize;
        seen.meterOversampledBlocks += s.meterOversample;
    }
}

template <typename T>
void compareAtEveryRateClassAndShape() {
    Coverage total;
    std::uint32_t seed = sizeof(T) * 1000;
    for (int rate : {44100, 96000, 192000}) {
        for (int shape = 0; shape < kShapeSteps; ++shape) {
            SCOPED_TRACE(::testing::Message() << rate << " Hz, shape " << shape << ", seed " << seed);
            compareOverRandomBlocks<T>(rate, shape, seed++, total);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    EXPECT_GT(total.limitedBlocks, 10);
    EXPECT_GT(total.clippedSamples, 100);
    EXPECT_GT(total.quantizedBlocks, 20);
    EXPECT_GT(total.meterOversampledBlocks, 20);
}

}  // namespace

// Every build of the kernel the processor runs (base x86-64, AVX2, AVX-512).
class ReferencePath : public enginetest::EveryKernelBuild {};

TEST_P(ReferencePath, TheKernelGivesItsBitsInThe32BitEntry) { compareAtEveryRateClassAndShape<float>(); }

TEST_P(ReferencePath, TheKernelGivesItsBitsInThe64BitEntry) { compareAtEveryRateClassAndShape<double>(); }

INSTANTIATE_FOR_EVERY_KERNEL_BUILD(ReferencePath);
