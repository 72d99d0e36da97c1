// The effect under concurrent use: one thread processes while others automate every parameter, switch
// the transient shape, change the sample rate, suspend and read the meters. Meant for the
// thread-sanitizer build; everywhere it checks that the output stays finite and within full scale.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "plugin/plugin.h"
#include "tests/engine/engine_test_support.h"
#include "tests/foundation/temp_config.h"

using namespace std::chrono_literals;

TEST(ThreadStress, ProcessingStaysSoundWhileEverythingElseChanges) {
    TempConfigHome config;
    auto plugin = std::make_unique<zarpa::Plugin>(nullptr);
    std::atomic<bool> stop{false};
    std::atomic<long> badSamples{0};
    std::atomic<long> blocks{0};

    std::thread audio([&] {
        const auto l = enginetest::noise(1024, 2.0, 1), r = enginetest::sine(1024, 0.01, 3.0);
        auto in32 = enginetest::stereo<float>(l, r);
        auto in64 = enginetest::stereo<double>(l, r);
        enginetest::StereoBuffer<float> out32(1024);
        enginetest::StereoBuffer<double> out64(1024);
        float* i32[2] = {in32.l.data(), in32.r.data()};
        float* o32[2] = {out32.l.data(), out32.r.data()};
        double* i64[2] = {in64.l.data(), in64.r.data()};
        double* o64[2] = {out64.l.data(), out64.r.data()};
        int frames = 1;
        while (!stop.load()) {
            frames = frames * 7 % 1023 + 1;
            plugin->processReplacing(i32, o32, frames);
            plugin->processDoubleReplacing(i64, o64, frames);
            for (int i = 0; i < frames; ++i)
                if (!(std::fabs(out32.l[i]) <= 1.0f && std::fabs(out32.r[i]) <= 1.0f && std::fabs(out64.l[i]) <= 1.0 &&
                      std::fabs(out64.r[i]) <= 1.0))
                    badSamples.fetch_add(1);
            blocks.fetch_add(1);
        }
    });

    auto automate = [&](unsigned seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        while (!stop.load())
            for (int index = 0; index < 26; ++index)
                if (index != zarpa::kTransShape) plugin->setParameter(index, value(rng));
    };
    std::thread automation1(automate, 1u), automation2(automate, 2u);

    std::thread structure([&] {
        const float rates[] = {44100.0f, 192000.0f, 48000.0f, 96000.0f, 4000.0f};
        for (int i = 0; !stop.load(); ++i) {
            plugin->setParameter(zarpa::kTransShape, static_cast<float>(i % 3) / 3.0f + 0.1f);
            if (i % 4 == 0) plugin->setSampleRate(rates[(i / 4) % 5]);
            if (i % 7 == 0) plugin->suspend();
            std::this_thread::sleep_for(1ms);
        }
    });

    std::thread editor([&] {
        float meters[10];
        while (!stop.load()) {
            plugin->getMeterValues(meters);
            for (float v : meters)
                if (!std::isfinite(v)) badSamples.fetch_add(1);
            std::this_thread::sleep_for(1ms);
        }
    });

    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 1500ms && blocks.load() < 4000) std::this_thread::sleep_for(10ms);
    stop = true;
    for (std::thread* t : {&audio, &automation1, &automation2, &structure, &editor}) t->join();
    EXPECT_GT(blocks.load(), 10);
    EXPECT_EQ(badSamples.load(), 0);
}
