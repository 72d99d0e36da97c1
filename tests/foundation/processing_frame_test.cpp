// The processing frame around the signal path: structural changes against a busy lock, the lock-timeout
// policy, no system call in an uncontended block, channel resolution for mono hosts, and TransShape resets
// only on a change of step.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "plugin/plugin.h"
#include "tests/foundation/temp_config.h"
#if defined(__linux__)
#include "tests/support/system_call_free.h"
#endif

namespace zarpa {

struct PluginTestAccess {
    static platform::InstanceLock& lock(Plugin& p) { return p.lock_; }
};

}  // namespace zarpa

using namespace zarpa;

namespace {

constexpr int kBlock = 256;

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(int n, float value = 0.0f) : left(n, value), right(n, value) {}
    float* ptrs[2];
    float** channels() {
        ptrs[0] = left.data();
        ptrs[1] = right.data();
        return ptrs;
    }
};

Stereo sine(int n, int offset, double amplitude = 0.25) {
    Stereo s(n);
    for (int i = 0; i < n; ++i) {
        s.left[i] = static_cast<float>(amplitude * std::sin(0.05 * (i + offset)));
        s.right[i] = static_cast<float>(amplitude * std::cos(0.031 * (i + offset)));
    }
    return s;
}

bool rightInputConnected = true;
VstIntPtr monoHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterPinConnected && index == 1 && value == 0) return rightInputConnected ? 0 : 1;
    return 0;
}

class ProcessingFrame : public ::testing::Test {
protected:
    TempConfigHome config;
    Plugin plugin{nullptr};

    Stereo run(int offset) {
        Stereo in = sine(kBlock, offset);
        Stereo out(kBlock, 7.0f);
        plugin.processReplacing(in.channels(), out.channels(), kBlock);
        return out;
    }
};

}  // namespace

TEST_F(ProcessingFrame, ABlockThatCannotGetTheLockIsSilentAndChangesWaitForTheNextBlock) {
    for (int b = 0; b < 4; ++b) run(b * kBlock);
    std::atomic<bool> held{false};
    std::thread holder([&] {
        PluginTestAccess::lock(plugin).lock(0);
        held = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2300));
        PluginTestAccess::lock(plugin).unlock();
    });
    while (!held) std::this_thread::yield();

    std::thread rateChanger([&] { plugin.setSampleRate(96000.0f); });  // gives up after 1000 ms
    Stereo out = run(4 * kBlock);
    for (int i = 0; i < kBlock; ++i) ASSERT_EQ(out.left[i], 0.0f) << i;
    rateChanger.join();
    EXPECT_EQ(plugin.getAeffect()->initialDelay, 159);  // not yet applied
    holder.join();

    run(5 * kBlock);  // the audio thread applies the pending rate under the lock
    EXPECT_EQ(plugin.getAeffect()->initialDelay, 287);
    EXPECT_FLOAT_EQ(plugin.getSampleRate(), 96000.0f);
}

#if defined(__linux__) && !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
TEST_F(ProcessingFrame, AnUncontendedBlockMakesNoSystemCall) {
    // The audio thread's whole block, the instance lock included, in both precisions and with every
    // optional stage of the kernel running.
    for (int parameter : {kOversample, kMeterOvs, kQuantize}) plugin.setParameter(parameter, 1.0f);
    Stereo in = sine(kBlock, 0), out(kBlock);
    std::vector<double> inL(kBlock, 0.5), inR(kBlock, -0.25), outL(kBlock), outR(kBlock);
    double* doubleIn[2] = {inL.data(), inR.data()};
    double* doubleOut[2] = {outL.data(), outR.data()};
    run(0);  // the first block applies the changed settings' derived values
    EXPECT_TRUE(testsupport::runsWithoutSystemCalls([&] {
        for (int b = 0; b < 8; ++b) {
            plugin.processReplacing(in.channels(), out.channels(), kBlock);
            plugin.processDoubleReplacing(doubleIn, doubleOut, kBlock);
        }
    }));
}
#endif

TEST_F(ProcessingFrame, ZeroFramesChangeNothing) {
    Stereo out(4, 3.0f);
    plugin.processReplacing(out.channels(), out.channels(), 0);
    EXPECT_EQ(out.left[0], 3.0f);
    plugin.processReplacing(nullptr, nullptr, 16);  // a host passing no buffers gets no crash
}

TEST_F(ProcessingFrame, TransShapeResetsOnlyWhenItsStepChanges) {
    const int latency = plugin.getAeffect()->initialDelay;
    for (int b = 0; b < 4; ++b) run(b * kBlock);
    plugin.setParameter(kTransShape, 0.1f);  // still "hard"
    Stereo same = run(4 * kBlock);
    EXPECT_NE(same.left[0], 0.0f);
    plugin.setParameter(kTransShape, 0.5f);  // "med": a reset, so one latency of silence
    Stereo changed = run(5 * kBlock);
    for (int i = 0; i < latency; ++i) ASSERT_EQ(changed.left[i], 0.0f) << i;
    EXPECT_NE(changed.left[latency + 20], 0.0f);
    EXPECT_EQ(plugin.getAeffect()->initialDelay, latency);
}

TEST(ProcessingFrameHosts, AMonoHostGetsTheLeftInputOnBothChannels) {
    TempConfigHome config;
    rightInputConnected = false;
    Plugin plugin(&monoHost);
    for (int b = 0; b < 3; ++b) {
        Stereo in = sine(kBlock, b * kBlock);
        Stereo out(kBlock);
        plugin.processReplacing(in.channels(), out.channels(), kBlock);
        for (int i = 0; i < kBlock; ++i) ASSERT_EQ(out.left[i], out.right[i]);
    }
    rightInputConnected = true;
}
