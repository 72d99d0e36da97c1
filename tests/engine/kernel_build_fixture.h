// A test run once per build of the limiter kernel (base x86-64, AVX2, AVX-512): each instance switches to
// its build, skips when the processor does not run it, and restores the build in use afterwards.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/dsp/instruction_set.h"

namespace zarpa::dsp {
inline void PrintTo(InstructionSet set, std::ostream* out) { *out << instructionSetName(set); }
}  // namespace zarpa::dsp

namespace enginetest {

class EveryKernelBuild : public testing::TestWithParam<zarpa::dsp::InstructionSet> {
protected:
    void SetUp() override {
        if (!zarpa::dsp::isSupported(GetParam()))
            GTEST_SKIP() << "this processor does not run " << zarpa::dsp::instructionSetName(GetParam());
        ASSERT_TRUE(zarpa::dsp::useInstructionSet(GetParam()));
    }
    void TearDown() override { zarpa::dsp::useInstructionSet(previous_); }

private:
    zarpa::dsp::InstructionSet previous_ = zarpa::dsp::activeInstructionSet();
};

inline std::string kernelBuildName(const testing::TestParamInfo<zarpa::dsp::InstructionSet>& info) {
    return zarpa::dsp::instructionSetName(info.param);
}

}  // namespace enginetest

// Instantiates the TEST_P cases of suite (derived from EveryKernelBuild) for every build.
#define INSTANTIATE_FOR_EVERY_KERNEL_BUILD(suite)                                                        \
    INSTANTIATE_TEST_SUITE_P(Kernel, suite, testing::ValuesIn(zarpa::dsp::kInstructionSets), \
                             enginetest::kernelBuildName)
