// Processing never touches the heap: global operator new is counted while blocks run, in every mode.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "plugin/plugin.h"
#include "tests/engine/engine_test_support.h"
#include "tests/foundation/temp_config.h"

namespace {

thread_local bool counting = false;
std::atomic<long> allocations{0};

void* allocate(std::size_t size) {
    if (counting) allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

// Counts the heap allocations made by f on this thread.
template <typename F>
long allocationsDuring(F&& f) {
    allocations = 0;
    counting = true;
    f();
    counting = false;
    return allocations.load();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace enginetest;

TEST(NoAllocation, ProcessorBlocksInEveryModeAndRate) {
    ASSERT_EQ(allocationsDuring([] { std::make_unique<int>(1).reset(); }), 1);  // the counter counts
    zarpa::Processor p;
    applyDefaultProgram(p);
    const auto in32 = stereo<float>(noise(4096, 3.0, 1), sine(4096, 0.01, 2.0));
    const auto in64 = stereo<double>(noise(4096, 3.0, 1), sine(4096, 0.01, 2.0));
    StereoBuffer<float> out32(4096);
    StereoBuffer<double> out64(4096);
    for (double rate : {44100.0, 96000.0, 192000.0}) {
        p.setSampleRate(rate);
        for (int shape = 0; shape < 3; ++shape) {
            p.setTransientShape(shape);
            for (int calibrate = 0; calibrate < 4; ++calibrate) {
                p.setCalibrate(calibrate);
                const long count = allocationsDuring([&] {
                    p.setDriveGain(8.0);
                    p.setOversample(true);
                    p.setMeterOversample(true);
                    p.setQuantize(true);
                    p.setAutoblack(true);
                    p.setNoiseShape(shape + 1);
                    p.setReleaseMs(20.0 + shape);
                    p.setLeveller(0.5, false);
                    p.setAttShow(shape);
                    p.setDetectorOrder(1);
                    p.process(in32.l.data(), in32.r.data(), out32.l.data(), out32.r.data(), 4096);
                    p.process(in64.l.data(), in64.r.data(), out64.l.data(), out64.r.data(), 4096);
                    float meters[10];
                    p.getMeterValues(meters);
                });
                EXPECT_EQ(count, 0) << rate << " shape " << shape << " calibrate " << calibrate;
            }
        }
    }
}

TEST(NoAllocation, EffectProcessingEntriesWithAutomation) {
    TempConfigHome config;
    auto plugin = std::make_unique<zarpa::Plugin>(nullptr);
    plugin->setSampleRate(96000.0f);
    const auto in32 = stereo<float>(noise(2048, 3.0, 1), noise(2048, 3.0, 2));
    const auto in64 = stereo<double>(noise(2048, 3.0, 1), noise(2048, 3.0, 2));
    StereoBuffer<float> out32(2048);
    StereoBuffer<double> out64(2048);
    float* in32p[2] = {const_cast<float*>(in32.l.data()), const_cast<float*>(in32.r.data())};
    float* out32p[2] = {out32.l.data(), out32.r.data()};
    double* in64p[2] = {const_cast<double*>(in64.l.data()), const_cast<double*>(in64.r.data())};
    double* out64p[2] = {out64.l.data(), out64.r.data()};
    for (int round = 0; round < 8; ++round) {
        for (int index = 0; index < 26; ++index) plugin->setParameter(index, static_cast<float>((round * 7 + index) % 10) / 9.0f);
        plugin->setParameter(zarpa::kCalibrate, 0.0f);
        const long count = allocationsDuring([&] {
            plugin->processReplacing(in32p, out32p, 2048);
            plugin->processDoubleReplacing(in64p, out64p, 2048);
        });
        EXPECT_EQ(count, 0) << "round " << round;
    }
}
