// The DLL as a host loads it (LoadLibrary), against values placed in the registry beforehand: metering
// preferences, the stored default preset, and the remembered paths written back when an instance closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "hostlib/vst_host.h"
#include "tests/windows/user_root.h"

namespace {

constexpr const wchar_t* kSettings = L"SOFTWARE\\OKA-tonelab\\OKAzarpa";
constexpr const wchar_t* kPrefs = L"SOFTWARE\\OKA-tonelab\\OKAzarpa\\PREFS";

// Host-visible indices of the six metering parameters.
constexpr int kScale = 9, kMeterOvs = 14, kMeterType = 18, kAttZoom = 19, kAttShow = 20, kPostMeter = 21;

class DllRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.ok());
        library_ = std::make_unique<vsthost::Library>(vsthost::defaultPluginPath());
        ASSERT_TRUE(library_->ok()) << library_->error();
    }

    std::unique_ptr<vsthost::Instance> newInstance() {
        auto instance = std::make_unique<vsthost::Instance>(*library_);
        EXPECT_TRUE(instance->ok());
        return instance;
    }

    void storePreferences(DWORD scale, DWORD type, DWORD zoom, DWORD attShow, DWORD recon, DWORD post) {
        ASSERT_TRUE(zarpa_test::setDword(kPrefs, L"Metering_Scale", scale));
        ASSERT_TRUE(zarpa_test::setDword(kPrefs, L"Metering_Type", type));
        ASSERT_TRUE(zarpa_test::setDword(kPrefs, L"Metering_Zoom", zoom));
        ASSERT_TRUE(zarpa_test::setDword(kPrefs, L"Metering_AttShow", attShow));
        ASSERT_TRUE(zarpa_test::setDword(kPrefs, L"Metering_Recon", recon));
        ASSERT_TRUE(zarpa_test::setDword(kPrefs, L"Metering_Post", post));
    }

    zarpa_test::ScopedUserRoot root_;
    std::unique_ptr<vsthost::Library> library_;
};

TEST_F(DllRegistry, MeteringPreferencesStoredByTheUserReachEveryNewInstance) {
    storePreferences(2, 1, 1, 5, 0, 1);
    for (int round = 0; round < 2; ++round) {
        auto instance = newInstance();
        ASSERT_TRUE(instance->ok());
        EXPECT_NEAR(instance->getParameter(kScale), 2.0f / 3 + 1.0f / 6, 1e-6);  // 0.8333
        EXPECT_FLOAT_EQ(instance->getParameter(kMeterType), 0.75f);
        EXPECT_FLOAT_EQ(instance->getParameter(kAttZoom), 0.75f);
        EXPECT_FLOAT_EQ(instance->getParameter(kAttShow), 0.6875f);
        EXPECT_FLOAT_EQ(instance->getParameter(kMeterOvs), 0.25f);
        EXPECT_FLOAT_EQ(instance->getParameter(kPostMeter), 0.75f);
    }
}

TEST_F(DllRegistry, AnOversizedPreferenceIsSkippedAndTheOthersStillApply) {
    float zoomDefault = 0.0f;
    {
        auto plain = newInstance();
        ASSERT_TRUE(plain->ok());
        zoomDefault = plain->getParameter(kAttZoom);
    }
    storePreferences(0, 0, 0, 3, 1, 0);
    const unsigned char eightBytes[8] = {1, 0, 0, 0, 0, 0, 0, 0};  // would be "on" if it were read
    ASSERT_TRUE(zarpa_test::setRaw(kPrefs, L"Metering_Zoom", REG_BINARY, eightBytes, sizeof eightBytes));
    const unsigned char fourBytes[4] = {1, 0, 0, 0};  // any type of 4 bytes is read
    ASSERT_TRUE(zarpa_test::setRaw(kPrefs, L"Metering_Type", REG_BINARY, fourBytes, sizeof fourBytes));

    auto instance = newInstance();
    ASSERT_TRUE(instance->ok());
    EXPECT_FLOAT_EQ(instance->getParameter(kAttZoom), zoomDefault);
    EXPECT_FLOAT_EQ(instance->getParameter(kScale), 1.0f / 6);
    EXPECT_FLOAT_EQ(instance->getParameter(kMeterType), 0.75f);
    EXPECT_FLOAT_EQ(instance->getParameter(kAttShow), 3.0f / 8 + 1.0f / 16);
    EXPECT_FLOAT_EQ(instance->getParameter(kMeterOvs), 0.75f);
    EXPECT_FLOAT_EQ(instance->getParameter(kPostMeter), 0.25f);
}

// A preset record as the preset system stores it: identifier "OKzr" in little-endian order, kind '!',
// the 24-byte name field, 26 float values.
std::vector<unsigned char> presetRecord(const char* name, float output) {
    std::vector<unsigned char> record(133, 0);
    const unsigned char id[4] = {'r', 'z', 'K', 'O'};
    std::memcpy(record.data(), id, 4);
    record[4] = 0x21;
    std::memcpy(record.data() + 5, name, std::strlen(name));
    for (int i = 0; i < 26; ++i) {
        const float value = i == 0 ? output : 0.5f;
        std::memcpy(record.data() + 29 + 4 * i, &value, 4);
    }
    return record;
}

TEST_F(DllRegistry, ADefaultPresetOfExactlyOneRecordBecomesProgramZero) {
    auto record = presetRecord("Stored default", 0.3125f);
    ASSERT_TRUE(zarpa_test::setRaw(kSettings, L"DefaultPreset", REG_BINARY, record.data(), 133));
    {
        auto instance = newInstance();
        ASSERT_TRUE(instance->ok());
        EXPECT_EQ(instance->programNameIndexed(0), "Stored default");
        EXPECT_FLOAT_EQ(instance->getParameter(0), 0.3125f);
    }
    // One byte more and the registry refuses the 133-byte query: the factory program stays.
    record = presetRecord("Too long", 0.3125f);
    record.push_back(0);
    ASSERT_TRUE(zarpa_test::setRaw(kSettings, L"DefaultPreset", REG_BINARY, record.data(), 134));
    auto instance = newInstance();
    ASSERT_TRUE(instance->ok());
    EXPECT_NE(instance->programNameIndexed(0), "Too long");
}

TEST_F(DllRegistry, RememberedPathsReturnAsUtf16TextsWhenAnInstanceCloses) {
    const wchar_t dir[] = L"C:\\Mastering\\Album\\";
    ASSERT_TRUE(zarpa_test::setRaw(kSettings, L"CurrDir", REG_SZ, dir, sizeof dir));
    newInstance()->close();

    const auto stored = zarpa_test::queryRaw(kSettings, L"CurrDir");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(stored.bytes.size(), sizeof dir);
    EXPECT_EQ(std::memcmp(stored.bytes.data(), dir, sizeof dir), 0);
    for (const wchar_t* name : {L"CurrBank", L"CurrPreset"}) {  // absent before: stored as empty texts
        const auto empty = zarpa_test::queryRaw(kSettings, name);
        EXPECT_TRUE(empty.found);
        EXPECT_EQ(empty.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(empty.bytes, (std::vector<unsigned char>{0, 0}));
    }
}

}  // namespace
