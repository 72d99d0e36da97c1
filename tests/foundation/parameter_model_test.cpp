// The effect's parameter behaviour: storage, write-back into the current program, the version-marker
// migration, and the metering preferences read at construction.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "plugin/preferences.h"
#include "plugin/plugin.h"
#include "tests/foundation/temp_config.h"

using namespace zarpa;

namespace {

std::string displayOf(Plugin& p, int index) {
    char text[64] = "untouched";
    p.getParameterDisplay(index, text);
    return text;
}

class ParameterModel : public ::testing::Test {
protected:
    TempConfigHome config;  // an empty settings store: no preferences, no stored defaults
    std::unique_ptr<Plugin> plugin = std::make_unique<Plugin>(nullptr);
};

}  // namespace

TEST_F(ParameterModel, StartsWithTheDefaultProgram) {
    EXPECT_FLOAT_EQ(plugin->getParameter(kOutput), 1.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kRelease), 0.7237f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kAttShow), 0.9375f);
    EXPECT_EQ(displayOf(*plugin, kBits), "16");
    EXPECT_EQ(displayOf(*plugin, kTransShape), "hard");
    EXPECT_EQ(plugin->latency(), 159);
}

TEST_F(ParameterModel, GettersFollowTheirIndexRules) {
    plugin->setParameter(kVersionMarker, 0.5f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kVersionMarker), 0.015f);
    plugin->setParameter(kDummy2, 0.25f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kDummy2), 0.25f);  // lives in the current program
    EXPECT_FLOAT_EQ(plugin->getParameter(26), -1.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(-1), -1.0f);
    // Out-of-range values are stored as they arrive; their steps stay valid.
    plugin->setParameter(kBits, 3.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kBits), 3.0f);
    EXPECT_EQ(displayOf(*plugin, kBits), "24");
    plugin->setParameter(kNoiseShape, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(displayOf(*plugin, kNoiseShape), "off");
}

TEST_F(ParameterModel, TextOperationsLeaveTheBufferAloneWhereNothingIsWritten) {
    char text[32] = "untouched";
    plugin->getParameterLabel(kLink, text);
    EXPECT_STREQ(text, "untouched");
    plugin->getParameterName(26, text);
    EXPECT_STREQ(text, "untouched");
    plugin->getParameterDisplay(kDummy1, text);
    EXPECT_STREQ(text, "untouched");
    plugin->getParameterName(kDummy1, text);
    EXPECT_STREQ(text, "dummy");
    plugin->getParameterName(kDetectorOrder, text);
    EXPECT_STREQ(text, "DetectorOrder");
    plugin->getParameterLabel(kRelease, text);
    EXPECT_STREQ(text, "ms");
    plugin->getParameterDisplay(kLeveller, nullptr);  // a null buffer is ignored
}

// Hosts may give exactly 8 characters and a terminator; our longest texts ("DetectorOrder", "l+r uncor")
// are longer and hosts tolerate that, but not a single byte beyond the text and its terminator.
TEST_F(ParameterModel, TextsWriteNothingBeyondThemselvesAndTheirTerminator) {
    const float values[] = {0.0f, 0.37f, 0.6f, 1.0f, -1.0f, 1e30f, -1e30f, std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()};
    AEffect* effect = plugin->getAeffect();
    for (int index = -1; index <= kParamCount; ++index) {
        for (float x : values) {
            plugin->setParameter(index, x);
            for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
                char text[64];
                std::memset(text, 0x5A, sizeof text);
                effect->dispatcher(effect, opcode, index, 0, text, 0.0f);
                const std::size_t used = text[0] == 0x5A ? 0 : std::strlen(text) + 1;
                ASSERT_LE(used, 14u) << opcode << " " << index;
                for (std::size_t i = used; i < sizeof text; ++i)
                    ASSERT_EQ(text[i], 0x5A) << "byte " << i << " of opcode " << opcode << " index " << index << " x " << x;
            }
        }
    }
}

TEST_F(ParameterModel, ChangesAreWrittenIntoTheCurrentProgramButNotWhileOneIsApplied) {
    plugin->selectProgram(3);
    plugin->setParameter(kDrive, 0.9f);
    EXPECT_FLOAT_EQ(plugin->programs()[3].values[kDrive], 0.9f);
    EXPECT_FLOAT_EQ(plugin->programs()[0].values[kDrive], 0.5f);

    // A program from the old layout migrates each time it is applied but keeps its stored values.
    plugin->programs()[5].values[kVersionMarker] = 0.0f;
    plugin->programs()[5].values[kBits] = 0.9f;
    plugin->programs()[5].values[kScale] = 0.3f;
    plugin->selectProgram(5);
    EXPECT_EQ(displayOf(*plugin, kBits), "24");
    EXPECT_EQ(displayOf(*plugin, kQuantize), "on");
    EXPECT_FLOAT_EQ(plugin->programs()[5].values[kBits], 0.9f);
    EXPECT_FLOAT_EQ(plugin->programs()[5].values[kVersionMarker], 0.0f);
}

TEST_F(ParameterModel, MigrationFromOldOffAndPeak) {
    plugin->setParameter(kBits, 0.0f);   // old "off"
    plugin->setParameter(kScale, 0.0f);  // old "peak"
    plugin->setParameter(kAutoblack, 1.0f);
    plugin->setParameter(kVersionMarker, 0.0f);
    EXPECT_EQ(displayOf(*plugin, kQuantize), "off");
    EXPECT_EQ(displayOf(*plugin, kBits), "16");
    EXPECT_EQ(displayOf(*plugin, kMeterType), "peak");
    EXPECT_EQ(displayOf(*plugin, kScale), "K-14");
    EXPECT_EQ(displayOf(*plugin, kAttShow), "12L");
    EXPECT_EQ(displayOf(*plugin, kAttZoom), "24dB");
    EXPECT_EQ(displayOf(*plugin, kPostMeter), "post");
    EXPECT_EQ(displayOf(*plugin, kAutoblack), "off");
    // Outside program application the migrated values reach the current program.
    EXPECT_FLOAT_EQ(plugin->programs()[0].values[kBits], stepToValue(1, 3));
}

TEST_F(ParameterModel, MigrationFromOld24BitAndK12) {
    plugin->setParameter(kBits, 0.9f);
    plugin->setParameter(kScale, 0.3f);
    plugin->setParameter(kVersionMarker, 0.0f);
    EXPECT_EQ(displayOf(*plugin, kQuantize), "on");
    EXPECT_EQ(displayOf(*plugin, kBits), "24");
    EXPECT_EQ(displayOf(*plugin, kMeterType), "k-system");
    EXPECT_EQ(displayOf(*plugin, kScale), "K-12");
}

TEST_F(ParameterModel, MigrationOnlyStrictlyInsideOneHundredthOfZero) {
    // Values that mark no old layout change nothing at all, whatever else is set.
    plugin->setParameter(kBits, 0.0f);
    plugin->setParameter(kScale, 0.0f);
    plugin->setParameter(kQuantize, 0.75f);
    plugin->setParameter(kPostMeter, 0.25f);
    for (float x : {0.01f, -0.01f, -0.5f, -1.0f, -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()}) {
        plugin->setParameter(kVersionMarker, x);
        EXPECT_EQ(displayOf(*plugin, kBits), "8") << x;
        EXPECT_EQ(displayOf(*plugin, kScale), "K-12") << x;
        EXPECT_EQ(displayOf(*plugin, kQuantize), "on") << x;
        EXPECT_EQ(displayOf(*plugin, kPostMeter), "pre") << x;
    }
    plugin->setParameter(kVersionMarker, -0.0099f);  // inside (-0.01, 0.01): migrates
    EXPECT_EQ(displayOf(*plugin, kBits), "16");
    EXPECT_EQ(displayOf(*plugin, kQuantize), "off");
    EXPECT_EQ(displayOf(*plugin, kPostMeter), "post");
}

TEST(MeteringPreferences, StoredStepsBecomeParameterValuesOfProgramZero) {
    TempConfigHome config;
    const std::int32_t stored[] = {2, 1, 1, 5, 0, 1};
    int i = 0;
    for (const MeteringPreference& pref : kMeteringPreferences) config.writePreference(pref.valueName, stored[i++]);

    Plugin plugin(nullptr);
    EXPECT_NEAR(plugin.getParameter(kScale), 0.8333f, 1e-4);
    EXPECT_FLOAT_EQ(plugin.getParameter(kMeterType), 0.75f);
    EXPECT_FLOAT_EQ(plugin.getParameter(kAttZoom), 0.75f);
    EXPECT_FLOAT_EQ(plugin.getParameter(kAttShow), 0.6875f);
    EXPECT_FLOAT_EQ(plugin.getParameter(kMeterOvs), 0.25f);
    EXPECT_FLOAT_EQ(plugin.getParameter(kPostMeter), 0.75f);
    EXPECT_FLOAT_EQ(plugin.programs()[0].values[kAttShow], 0.6875f);
    EXPECT_FLOAT_EQ(plugin.programs()[1].values[kAttShow], 0.9375f);  // other programs keep their values
}

TEST(MeteringPreferences, HandEditedValuesAreLimitedOrSkipped) {
    TempConfigHome config;
    config.writePreference("Metering_Scale", 7);      // above the last step
    config.writePreference("Metering_AttShow", -3);   // below the first
    config.writeRaw("Metering_Type", std::string(8, '\1'));  // longer than 4 bytes: skipped
    config.writePreference("Metering_Zoom", 1);       // still read after the skipped one

    Plugin plugin(nullptr);
    EXPECT_FLOAT_EQ(plugin.getParameter(kScale), stepToValue(2, 3));
    EXPECT_FLOAT_EQ(plugin.getParameter(kAttShow), stepToValue(0, 8));
    EXPECT_FLOAT_EQ(plugin.getParameter(kMeterType), 0.25f);  // the Default program's value
    EXPECT_FLOAT_EQ(plugin.getParameter(kAttZoom), 0.75f);
}
