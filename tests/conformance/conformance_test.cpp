// Loads the built plug-in library through its entry point, as a VST 2.4 host does, and checks the effect
// record and every dispatcher answer that needs neither audio nor an editor window.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hostlib/vst_host.h"

#if !defined(_WIN32)
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#endif

namespace {

const vsthost::Library& library() {
    static vsthost::Library lib(vsthost::defaultPluginPath());
    return lib;
}

// Every instance reads the per-user settings store; the tests run against an empty one of their own.
void useEmptySettingsStore() {
#if !defined(_WIN32)
    static const std::string empty = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarpa-empty-XXXXXX").string();
        return mkdtemp(pattern.data()) ? pattern : std::string("/nonexistent");
    }();
    setenv("XDG_CONFIG_HOME", empty.c_str(), 1);
#endif
}

class Conformance : public ::testing::Test {
protected:
    void SetUp() override {
        useEmptySettingsStore();
        ASSERT_TRUE(library().ok()) << library().error();
    }
};

// A host whose answers to audioMasterVersion can be scripted: the entry point asks twice.
int versionCalls = 0;
int versionZeroAt = 0;
VstIntPtr scriptedHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode != audioMasterVersion) return 0;
    ++versionCalls;
    return versionCalls == versionZeroAt ? 0 : 2400;
}

}  // namespace

TEST_F(Conformance, EntryPointRefusesAHostThatAnswersVersionZero) {
    for (int zeroAt : {1, 2}) {
        versionCalls = 0;
        versionZeroAt = zeroAt;
        EXPECT_EQ(library().entry()(&scriptedHost), nullptr);
        EXPECT_EQ(versionCalls, zeroAt);
    }
    EXPECT_EQ(library().entry()(nullptr), nullptr);
}

TEST_F(Conformance, EffectRecordAsTheHostSeesIt) {
    vsthost::Instance instance(library());
    ASSERT_TRUE(instance.ok());
    const AEffect& e = *instance.effect();
    EXPECT_EQ(e.magic, 0x56737450);
    EXPECT_EQ(e.numPrograms, 1);
    EXPECT_EQ(e.numParams, 26);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.flags, 0x1031);
    EXPECT_EQ(e.initialDelay, 159);
    EXPECT_EQ(e.uniqueID, vstFourCC('O', 'K', 'z', 'r'));
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.resvd1, 0);
    EXPECT_EQ(e.resvd2, 0);
    EXPECT_EQ(e.realQualities, 0);
    EXPECT_EQ(e.offQualities, 0);
    EXPECT_EQ(e.ioRatio, 1.0f);
    EXPECT_NE(e.object, nullptr);
    EXPECT_NE(e.processReplacing, nullptr);
    EXPECT_NE(e.processDoubleReplacing, nullptr);
    EXPECT_NE(e.process, nullptr);
    for (char byte : e.future) EXPECT_EQ(byte, 0);
}

TEST_F(Conformance, IdentityAndCapabilities) {
    vsthost::Instance instance(library());
    ASSERT_TRUE(instance.ok());
    char text[256] = {};
    EXPECT_EQ(instance.dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "OKA Zarpa");
    EXPECT_EQ(instance.dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Full band precision limiter");
    EXPECT_EQ(instance.dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_LT(std::strlen(text), 64u);
    EXPECT_EQ(instance.dispatch(effGetPlugCategory), 4);
    EXPECT_EQ(instance.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(instance.dispatch(effIdentify), 0x4E764566);
    for (const char* capability : {"bypass", "receiveVstTimeInfo", "sendVstEvents", "plugAsChannelInsert", ""})
        EXPECT_EQ(instance.dispatch(effCanDo, 0, 0, const_cast<char*>(capability)), 0) << capability;
    EXPECT_EQ(instance.dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(instance.dispatch(effCanBeAutomated, 13), 1);
    EXPECT_EQ(instance.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(instance.dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ(instance.dispatch(effGetTailSize), 0);
    EXPECT_EQ(instance.dispatch(effString2Parameter, 0, 0, const_cast<char*>("1.0")), 0);
    EXPECT_EQ(instance.dispatch(effGetVendorVersion), 0);
    EXPECT_EQ(instance.dispatch(effSetProcessPrecision, 0, 1), 0);
    EXPECT_EQ(instance.dispatch(effGetInputProperties, 0, 0, text), 0);
    EXPECT_EQ(instance.dispatch(9999), 0);
    EXPECT_EQ(instance.dispatch(-5), 0);
}

TEST_F(Conformance, ParameterPropertiesForEveryIndex) {
    vsthost::Instance instance(library());
    for (int index : {0, 25}) {
        VstParameterProperties props;
        std::memset(&props, 0x5A, sizeof props);
        EXPECT_EQ(instance.dispatch(effGetParameterProperties, index, 0, &props), 1);
        EXPECT_FLOAT_EQ(props.stepFloat, 0.0001f);
        EXPECT_EQ(props.flags, kVstParameterUsesFloatStep);
        EXPECT_EQ(static_cast<unsigned char>(props.label[0]), 0x5A);  // nothing else is written
    }
}

TEST_F(Conformance, SpeakerArrangementAnswersNone) {
    vsthost::Instance instance(library());
    VstSpeakerArrangement* in = reinterpret_cast<VstSpeakerArrangement*>(&instance);
    VstSpeakerArrangement* out = in;
    EXPECT_EQ(instance.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(instance.dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST_F(Conformance, NullPointersFromTheHostAreIgnored) {
    vsthost::Instance instance(library());
    for (VstInt32 opcode : {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay,
                            effGetParamName, effGetEffectName, effGetVendorString, effGetProductString, effCanDo,
                            effGetParameterProperties, effGetProgramNameIndexed, effGetChunk, effEditGetRect})
        EXPECT_EQ(instance.dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    EXPECT_EQ(instance.dispatch(effSetChunk, 0, 3104, nullptr), -1);
}

TEST_F(Conformance, ParametersListAndDisplay) {
    vsthost::Instance instance(library());
    const char* expected[][3] = {
        {"Output", "0.000000", "dB"}, {"Drive", "0.000000", "dB"}, {"Transient", "0.020000", "ms"},
        {"Release", nullptr, "ms"},   {"TransShape", "hard", ""},  {"L/R Link", "100.0000", ""},
        {"Oversample", "off", ""},    {"DetectorOrder", "I", ""},  {"Power", "on", ""},
        {"Scale", "K-12", ""},        {"Bits", "16", ""},          {"NoiseShape", "off", ""},
        {"Calibrate", "off", ""},     {"Leveller", "0.000000", "dB"}, {"MeterOvs", "off", ""},
        {"AutoOut", "off", ""},       {"Quantize", "off", ""},     {"Autoblack", "off", ""},
        {"MeterType", "peak", ""},    {"AttZoom", "24dB", ""},     {"AttShow", "12L", ""},
        {"PostMeter", "pre", ""},     {"dummy", "", ""},           {"dummy", "", ""},
        {"dummy", "", ""},            {"resvd-vid", "", ""}};
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(instance.paramName(i), expected[i][0]);
        if (expected[i][1]) {
            EXPECT_EQ(instance.paramDisplay(i), expected[i][1]) << i;
        }
        EXPECT_EQ(instance.paramLabel(i), expected[i][2]) << i;
    }
    EXPECT_EQ(instance.paramDisplay(3).substr(0, 3), "199");  // 0.7237 is about 200 ms
    EXPECT_EQ(instance.paramName(26), "");

    instance.setParameter(10, 1.0f);
    EXPECT_EQ(instance.paramDisplay(10), "24");
    EXPECT_FLOAT_EQ(instance.getParameter(10), 1.0f);
    instance.setParameter(25, 0.5f);
    EXPECT_FLOAT_EQ(instance.getParameter(25), 0.015f);
    EXPECT_FLOAT_EQ(instance.getParameter(26), -1.0f);
}

TEST_F(Conformance, ProgramsAreNamedAndChunksRoundTrip) {
    vsthost::Instance instance(library());
    EXPECT_EQ(instance.dispatch(effGetProgram), 0);
    EXPECT_EQ(instance.programName(), "Default");
    EXPECT_EQ(instance.programNameIndexed(8), "CD Master 1");
    char text[64] = {};
    EXPECT_EQ(instance.dispatch(effGetProgramNameIndexed, 24, 0, text), 0);
    EXPECT_EQ(instance.dispatch(effGetProgramNameIndexed, 23, 0, text), 1);
    EXPECT_STREQ(text, "Total Disorder");
    EXPECT_EQ(instance.dispatch(effSetProgram, 0, 5), 0);
    EXPECT_EQ(instance.programName(), "Default");

    char renamed[] = "My master";
    instance.dispatch(effSetProgramName, 0, 0, renamed);
    instance.setParameter(1, 0.75f);
    const auto chunk = instance.getChunk();
    ASSERT_EQ(chunk.size(), 3104u);
    EXPECT_EQ(instance.getChunk(true), chunk);

    vsthost::Instance other(library());
    EXPECT_EQ(other.setChunk(chunk), 0);
    EXPECT_EQ(other.programName(), "My master");
    EXPECT_FLOAT_EQ(other.getParameter(1), 0.75f);
    EXPECT_EQ(other.getChunk(), chunk);
    std::vector<unsigned char> shorter(chunk.begin(), chunk.end() - 1);
    EXPECT_EQ(other.setChunk(shorter), -1);
}

TEST_F(Conformance, SampleRateSetsTheReportedLatency) {
    vsthost::Instance instance(library());
    struct Case {
        float rate;
        int latency;
    } cases[] = {{96000.0f, 287}, {44100.0f, 159}, {192000.0f, 543}, {80000.0f, 287}, {169999.0f, 287},
                 {170000.0f, 543}, {4000.0f, 159}, {250000.0f, 159}, {48000.7f, 159}};
    for (const Case& c : cases) {
        instance.setSampleRate(c.rate);
        EXPECT_EQ(instance.effect()->initialDelay, c.latency) << c.rate;
    }
    instance.setParameter(4, 1.0f);  // TransShape, Oversample and Power never change the latency
    instance.setParameter(6, 1.0f);
    instance.setParameter(8, 0.0f);
    EXPECT_EQ(instance.effect()->initialDelay, 159);
}

TEST_F(Conformance, EditorRectangleAndClose) {
    vsthost::Instance instance(library());
    ERect* rect = nullptr;
    EXPECT_EQ(instance.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 524);
    EXPECT_EQ(rect->bottom - rect->top, 462);
    EXPECT_EQ(instance.dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(instance.dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(instance.dispatch(effClose), 1);
    EXPECT_FALSE(instance.ok());
}

TEST_F(Conformance, InstancesAreIndependent) {
    vsthost::Instance a(library());
    vsthost::Instance b(library());
    a.setParameter(0, 0.25f);
    a.setSampleRate(96000.0f);
    EXPECT_FLOAT_EQ(b.getParameter(0), 1.0f);
    EXPECT_EQ(b.effect()->initialDelay, 159);
}

#if !defined(_WIN32)
// The metering preferences a user saved reach every new instance, through the per-user store.
TEST_F(Conformance, MeteringPreferencesFromTheUserStore) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarpa-conf-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path prefs = std::filesystem::path(pattern) / "SOFTWARE/OKA-tonelab/OKAzarpa/PREFS";
    std::filesystem::create_directories(prefs);
    const std::pair<const char*, std::int32_t> stored[] = {{"Metering_Scale", 2},   {"Metering_Type", 1},
                                                           {"Metering_Zoom", 1},    {"Metering_AttShow", 5},
                                                           {"Metering_Recon", 0},   {"Metering_Post", 1}};
    for (const auto& [name, value] : stored)
        std::ofstream(prefs / name, std::ios::binary).write(reinterpret_cast<const char*>(&value), 4);
    setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);

    vsthost::Instance instance(library());
    EXPECT_NEAR(instance.getParameter(9), 0.8333f, 1e-4);
    EXPECT_FLOAT_EQ(instance.getParameter(18), 0.75f);
    EXPECT_FLOAT_EQ(instance.getParameter(19), 0.75f);
    EXPECT_FLOAT_EQ(instance.getParameter(20), 0.6875f);
    EXPECT_FLOAT_EQ(instance.getParameter(14), 0.25f);
    EXPECT_FLOAT_EQ(instance.getParameter(21), 0.75f);
    EXPECT_EQ(instance.paramDisplay(20), "1L");

    useEmptySettingsStore();
    std::filesystem::remove_all(pattern);
}
#endif
