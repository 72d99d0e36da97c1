// The settings store on the registry: value types and exact sizes, the size limit of a read, and which
// operations each kind of key allows.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "tests/windows/user_root.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\OKA-tonelab\\OKAzarpa";
constexpr const wchar_t* kKeyW = L"SOFTWARE\\OKA-tonelab\\OKAzarpa";

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.ok()); }
    zarpa_test::ScopedUserRoot root_;
};

std::vector<unsigned char> pattern(std::size_t size) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    return bytes;
}

TEST_F(SettingsRegistry, ValuesKeepTheirTypeAndExactSize) {
    const auto preset = pattern(133);
    const auto bank = pattern(3077);
    const std::u16string dir = platform::toUtf16("C:\\Mastering\\");
    const std::uint32_t scale = 2;
    {
        auto key = platform::createSettingsKey(kKey);
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->writeValue("DefaultPreset", platform::ValueType::Binary, preset.data(), preset.size()));
        ASSERT_TRUE(key->writeValue("DefaultBank", platform::ValueType::Binary, bank.data(), bank.size()));
        ASSERT_TRUE(key->writeValue("CurrDir", platform::ValueType::Text, dir.c_str(), (dir.size() + 1) * 2));
        ASSERT_TRUE(key->writeValue("Metering_Scale", platform::ValueType::Dword, &scale, sizeof scale));
    }

    const auto rawPreset = zarpa_test::queryRaw(kKeyW, L"DefaultPreset");
    EXPECT_EQ(rawPreset.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(rawPreset.bytes, preset);
    const auto rawBank = zarpa_test::queryRaw(kKeyW, L"DefaultBank");
    EXPECT_EQ(rawBank.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(rawBank.bytes, bank);
    const auto rawDir = zarpa_test::queryRaw(kKeyW, L"CurrDir");
    EXPECT_EQ(rawDir.type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(rawDir.bytes.size(), sizeof(L"C:\\Mastering\\"));
    EXPECT_EQ(std::memcmp(rawDir.bytes.data(), L"C:\\Mastering\\", rawDir.bytes.size()), 0);
    const auto rawScale = zarpa_test::queryRaw(kKeyW, L"Metering_Scale");
    EXPECT_EQ(rawScale.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(rawScale.bytes, (std::vector<unsigned char>{2, 0, 0, 0}));

    auto key = platform::openSettingsKey(kKey);
    ASSERT_NE(key, nullptr);
    std::vector<unsigned char> back(3077);
    EXPECT_EQ(key->readValue("DefaultBank", back.data(), back.size()), 3077);
    EXPECT_EQ(back, bank);
    EXPECT_EQ(key->readValue("DefaultPreset", back.data(), 133), 133);
    EXPECT_TRUE(std::equal(preset.begin(), preset.end(), back.begin()));
}

// The caller's size is the limit: a smaller value of any type reads its own size, a larger one fails.
TEST_F(SettingsRegistry, AValueLargerThanTheLimitFailsAndLeavesTheBufferAlone) {
    const auto eight = pattern(8);
    ASSERT_TRUE(zarpa_test::setRaw(kKeyW, L"Metering_Zoom", REG_BINARY, eight.data(), 8));
    const unsigned char two[2] = {0x34, 0x12};
    ASSERT_TRUE(zarpa_test::setRaw(kKeyW, L"Metering_Type", REG_BINARY, two, 2));
    auto key = platform::openSettingsKey(kKey);
    ASSERT_NE(key, nullptr);

    unsigned char buffer[8];
    std::memset(buffer, 0xAB, sizeof buffer);
    EXPECT_EQ(key->readValue("Metering_Zoom", buffer, 4), -1);
    for (unsigned char b : buffer) EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(key->readValue("Metering_Zoom", buffer, 8), 8);
    EXPECT_EQ(std::memcmp(buffer, eight.data(), 8), 0);

    std::uint32_t value = 0;
    EXPECT_EQ(key->readValue("Metering_Type", &value, sizeof value), 2);
    EXPECT_EQ(value, 0x1234u);
}

TEST_F(SettingsRegistry, OnlyCreatingMakesAKeyAndMissingValuesAreNoError) {
    EXPECT_EQ(platform::openSettingsKey(kKey), nullptr);
    EXPECT_FALSE(zarpa_test::keyExists(kKeyW));

    auto prefs = platform::createSettingsKey("SOFTWARE\\OKA-tonelab\\OKAzarpa\\PREFS");
    ASSERT_NE(prefs, nullptr);
    EXPECT_TRUE(zarpa_test::keyExists(L"SOFTWARE\\OKA-tonelab\\OKAzarpa\\PREFS"));
    EXPECT_NE(platform::openSettingsKey(kKey), nullptr);

    std::uint32_t value = 0;
    EXPECT_EQ(prefs->readValue("Metering_Scale", &value, sizeof value), -1);
    EXPECT_TRUE(prefs->deleteValue("Metering_Scale"));
}

// A key opened for reading gets write access on demand, a created key read access, as on Linux.
TEST_F(SettingsRegistry, EitherKindOfKeyServesEveryOperation) {
    const std::uint32_t five = 5;
    ASSERT_TRUE(zarpa_test::setDword(kKeyW, L"DefaultPreset", 7));
    auto reader = platform::openSettingsKey(kKey);
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(reader->deleteValue("DefaultPreset"));
    EXPECT_FALSE(zarpa_test::queryRaw(kKeyW, L"DefaultPreset").found);
    EXPECT_TRUE(reader->writeValue("MemoB", platform::ValueType::Dword, &five, sizeof five));
    EXPECT_TRUE(zarpa_test::queryRaw(kKeyW, L"MemoB").found);

    auto writer = platform::createSettingsKey(kKey);
    ASSERT_NE(writer, nullptr);
    std::uint32_t back = 0;
    EXPECT_EQ(writer->readValue("MemoB", &back, sizeof back), 4);
    EXPECT_EQ(back, 5u);
}

TEST_F(SettingsRegistry, EmptyNamesAndPathsAreRefused) {
    EXPECT_EQ(platform::openSettingsKey(""), nullptr);
    EXPECT_EQ(platform::openSettingsKey(nullptr), nullptr);
    EXPECT_EQ(platform::createSettingsKey(""), nullptr);
    EXPECT_EQ(platform::createSettingsKey(nullptr), nullptr);

    auto key = platform::createSettingsKey(kKey);
    ASSERT_NE(key, nullptr);
    const std::uint32_t one = 1;
    // "" would be the key's default value, which no caller means.
    EXPECT_FALSE(key->writeValue("", platform::ValueType::Dword, &one, sizeof one));
    EXPECT_FALSE(key->writeValue(nullptr, platform::ValueType::Dword, &one, sizeof one));
    EXPECT_FALSE(key->writeValue("MemoA", platform::ValueType::Binary, nullptr, 133));
    EXPECT_FALSE(zarpa_test::queryRaw(kKeyW, L"").found);
    std::uint32_t back = 0;
    EXPECT_EQ(key->readValue("", &back, sizeof back), -1);
    EXPECT_EQ(key->readValue("MemoA", nullptr, 4), -1);
    EXPECT_FALSE(key->deleteValue(""));
}

}  // namespace

namespace {

// The test helper itself: the foundation, editor and DLL tests rely on roots that nest.
TEST(ScopedUserRoot, ANestedRootStartsEmptyAndHandsTheOuterOneBack) {
    zarpa_test::ScopedUserRoot outer;
    ASSERT_TRUE(outer.ok());
    ASSERT_TRUE(zarpa_test::setDword(kKeyW, L"MemoA", 1));
    {
        zarpa_test::ScopedUserRoot inner;
        ASSERT_TRUE(inner.ok());
        EXPECT_FALSE(zarpa_test::keyExists(kKeyW));
        ASSERT_TRUE(zarpa_test::setDword(kKeyW, L"MemoA", 2));
    }
    const auto value = zarpa_test::queryRaw(kKeyW, L"MemoA");
    ASSERT_TRUE(value.found);
    EXPECT_EQ(value.bytes, (std::vector<unsigned char>{1, 0, 0, 0}));
}

}  // namespace
