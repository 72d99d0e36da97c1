// The settings-store slots: default bank and preset for every new instance, memos, remembered paths and the
// metering preferences writer. The same tests run against the registry in the DLL build.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/parameters.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "preset_test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zarpa::test {
namespace {

const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));

using StoredSettingsTest = PresetStoreTest;

TEST_F(StoredSettingsTest, EveryNewInstanceStartsFromTheStoredDefaultBankThenTheDefaultPreset) {
    {
        Instance first;
        fillPrograms(*first.effect);
        ASSERT_TRUE(first.editor->storeDefaultBank());
        first.effect->selectProgram(6);
        ASSERT_TRUE(first.editor->storeDefaultPreset());  // program 6 becomes every instance's program 0
    }
    EXPECT_EQ(readStoredValue(kSettingsKeyPath, kDefaultBankValue).size(), 3077u);
    EXPECT_EQ(readStoredValue(kSettingsKeyPath, kDefaultPresetValue).size(), 133u);

    for (int n = 0; n < 2; ++n) {
        Instance next;
        EXPECT_STREQ(next.effect->program(0).name, "Program 6");
        EXPECT_EQ(next.effect->program(0).values[4], 6.04f);
        EXPECT_STREQ(next.effect->program(6).name, "Program 6");
        EXPECT_STREQ(next.effect->program(23).name, "Program 23");
        EXPECT_EQ(next.effect->applied[4], 6.04f);
    }
}

TEST_F(StoredSettingsTest, ClearingDefaultsBringsBackTheFactoryProgramsAndAMissingOneIsNoError) {
    {
        Instance in;
        in.editor->clearDefaultPreset();  // nothing stored yet
        in.editor->clearDefaultBank();
#ifndef _WIN32
        EXPECT_FALSE(platform::openSettingsKey(kSettingsKeyPath)) << "clearing must not create the key";
#endif
        fillPrograms(*in.effect);
        in.editor->storeDefaultBank();
        in.effect->selectProgram(3);
        in.editor->storeDefaultPreset();
        in.editor->clearDefaultPreset();
    }
    {
        Instance bankOnly;
        EXPECT_STREQ(bankOnly.effect->program(0).name, "Program 0");
        bankOnly.editor->clearDefaultBank();
    }
    Instance factory;
    EXPECT_STREQ(factory.effect->program(0).name, "Default");
    EXPECT_STREQ(factory.effect->program(23).name, "Total Disorder");
}

TEST_F(StoredSettingsTest, AStoredRecordOfTheWrongSizeIsRefused) {
    auto key = platform::createSettingsKey(kSettingsKeyPath);
    ASSERT_TRUE(key);
    unsigned char tooLong[kBankRecordSize + 1] = {'r', 'z', 'K', 'O', 0x37, 'X'};
    ASSERT_TRUE(key->writeValue(kDefaultBankValue, platform::ValueType::Binary, tooLong, sizeof tooLong));
    unsigned char shortPreset[kRecordHeaderSize + 4] = {'r', 'z', 'K', 'O', 0x21, 'S', 'h', 'o', 'r'};
    ASSERT_TRUE(key->writeValue(kDefaultPresetValue, platform::ValueType::Binary, shortPreset, sizeof shortPreset));
    key.reset();

    Instance in;
    EXPECT_STREQ(in.effect->program(1).name, "Limiter Smooth");  // the oversized bank is not loaded
    EXPECT_STREQ(in.effect->program(0).name, "Shor");            // the short preset loads, zeros after it
    EXPECT_EQ(in.effect->program(0).values[0], 0.0f);
}

TEST_F(StoredSettingsTest, AMemoRecallsIntoWhicheverProgramIsCurrent) {
    Instance in;
    fillPrograms(*in.effect);
    in.effect->selectProgram(3);
    ASSERT_TRUE(in.editor->storeMemo(CPresetSystemEditor::Memo::A));
    in.effect->selectProgram(4);
    ASSERT_TRUE(in.editor->storeMemo(CPresetSystemEditor::Memo::B));

    in.effect->selectProgram(9);
    in.effect->setParameter(kDrive, 0.9f);
    in.editor->recallMemo(CPresetSystemEditor::Memo::A);
    EXPECT_EQ(in.effect->getCurrentProgramIndex(), 9);
    EXPECT_STREQ(in.effect->program(9).name, "Program 3");
    EXPECT_EQ(std::memcmp(in.effect->program(9).values, in.effect->program(3).values, sizeof(float) * kNumParams), 0);
    EXPECT_EQ(in.effect->applied[kDrive], in.effect->program(3).values[kDrive]);

    in.effect->selectProgram(10);
    in.editor->recallMemo(CPresetSystemEditor::Memo::B);
    EXPECT_STREQ(in.effect->program(10).name, "Program 4");
    EXPECT_STREQ(in.effect->program(3).name, "Program 3");
}

TEST_F(StoredSettingsTest, RememberedPathsReachTheNextInstanceAndItsDialogs) {
    std::filesystem::create_directory(scratch / "masters");
    const std::string chosen = (scratch / "masters" / "loud.okb").string();
    {
        Instance first;
        ScriptedSelector selector;
        selector.choices = {chosen};
        first.editor->setFileSelector(&selector);
        first.editor->saveBankFile();
    }
    const std::string dir = (scratch / "masters").string() + kSeparator;
    const auto stored = readStoredValue(kSettingsKeyPath, kCurrentDirectoryValue);
    EXPECT_EQ(stored.size(), (dir.size() + 1) * 2) << "UTF-16 with its terminator";

    Instance next;
    EXPECT_EQ(next.editor->getCurrentDirectory(), dir);
    EXPECT_EQ(next.editor->getCurrentBankFile(), std::string("loud.okb"));
    EXPECT_EQ(next.editor->getCurrentPresetFile(), std::string());
    ScriptedSelector selector;
    next.editor->setFileSelector(&selector);
    next.editor->loadPresetFile(false);
    ASSERT_EQ(selector.requests.size(), 1u);
    EXPECT_EQ(selector.requests[0].initialDirectory, dir);
}

// With no remembered place (a fresh install) the dialogs start in the user's documents folder, not in
// whatever directory the host happened to run in, and not nowhere.
TEST_F(StoredSettingsTest, AFreshInstallsDialogsStartInTheDocumentsFolder) {
#ifdef _WIN32
    const std::string documents = platform::documentsDirectory(256);
    ASSERT_FALSE(documents.empty());
    EXPECT_EQ(documents.back(), '\\');
#else
    // The desktop names the folder in the user's language in user-dirs.dirs; without it, ~/Documents.
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    const std::filesystem::path home = scratch / "home";
    std::filesystem::create_directories(home / "Dokumente");
    std::filesystem::create_directories(home / "Documents");
    setenv("HOME", home.string().c_str(), 1);
    {
        std::ofstream dirs(scratch / "config" / "user-dirs.dirs");
        dirs << "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    }
    const std::string documents = (home / "Dokumente").string() + "/";
    EXPECT_EQ(platform::documentsDirectory(256), documents);
    std::filesystem::remove(scratch / "config" / "user-dirs.dirs");
    EXPECT_EQ(platform::documentsDirectory(256), (home / "Documents").string() + "/");
    std::filesystem::remove(home / "Documents");
    EXPECT_EQ(platform::documentsDirectory(256), home.string() + "/");
    EXPECT_EQ(platform::documentsDirectory(3), "");  // a cut path would name another folder
    std::filesystem::create_directories(home / "Documents");
#endif
    {
        Instance in;
        ScriptedSelector selector;
        in.editor->setFileSelector(&selector);
        in.editor->loadBankFile(false);
        ASSERT_EQ(selector.requests.size(), 1u);
        EXPECT_EQ(selector.requests[0].initialDirectory, platform::documentsDirectory(256));
    }
#ifndef _WIN32
    setenv("HOME", savedHome.c_str(), 1);
#endif
}

#ifndef _WIN32  // the DLL's file functions stop at 260 characters, so no dialog returns such a path there
TEST_F(StoredSettingsTest, APathTooLongToRememberStillLoadsAndKeepsThePreviousPlace) {
    Instance in;
    fillPrograms(*in.effect);
    const std::string before = in.editor->getCurrentDirectory();
    std::string dir = scratch.string();
    while (dir.size() < 300) dir += kSeparator + std::string(40, 'd');
    std::filesystem::create_directories(dir);
    ScriptedSelector selector;
    selector.choices = {dir + kSeparator + "deep.oka"};
    in.editor->setFileSelector(&selector);
    in.editor->savePresetFile();
    in.effect->selectProgram(1);
    in.editor->loadPresetFile(false);
    EXPECT_STREQ(in.effect->program(1).name, "Program 0");
    EXPECT_EQ(in.editor->getCurrentDirectory(), before);
}
#endif

TEST_F(StoredSettingsTest, MeteringPreferencesAreStoredAsFourByteStepIndices) {
    Instance in;
    in.effect->setParameter(kScale, 0.9f);       // K-20
    in.effect->setParameter(kMeterType, 0.6f);   // K-system
    in.effect->setParameter(kAttZoom, 1.0f);     // on
    in.effect->setParameter(kAttShow, 0.6875f);  // bits 1 and 4
    in.effect->setParameter(kMeterOvs, 0.1f);    // off
    in.effect->setParameter(kPostMeter, 0.75f);  // post
    ASSERT_TRUE(storeMeteringPreferences(*in.effect));
    const std::int32_t expected[] = {2, 1, 1, 5, 0, 1};
    int i = 0;
    for (const MeteringPreference& pref : kMeteringPreferences) {
        const auto bytes = readStoredValue(kPreferencesKeyPath, pref.valueName);
        std::int32_t stored = -1;
        ASSERT_EQ(bytes.size(), 4u) << pref.valueName;
        std::memcpy(&stored, bytes.data(), 4);
        EXPECT_EQ(stored, expected[i++]) << pref.valueName;
    }
}

TEST_F(StoredSettingsTest, MeteringPreferencesSavedByOneEffectStartTheNext) {
    {
        Plugin first(nullptr);
        first.setParameter(kScale, stepToValue(2, 3));
        first.setParameter(kMeterType, stepToValue(1, 2));
        first.setParameter(kAttZoom, stepToValue(1, 2));
        first.setParameter(kAttShow, stepToValue(5, 8));
        first.setParameter(kMeterOvs, stepToValue(0, 2));
        first.setParameter(kPostMeter, stepToValue(1, 2));
        ASSERT_TRUE(storeMeteringPreferences(first));
    }
    Plugin next(nullptr);
    EXPECT_NEAR(next.getParameter(kScale), 0.8333f, 1e-4);
    EXPECT_EQ(next.getParameter(kMeterType), 0.75f);
    EXPECT_EQ(next.getParameter(kAttZoom), 0.75f);
    EXPECT_EQ(next.getParameter(kAttShow), 0.6875f);
    EXPECT_EQ(next.getParameter(kMeterOvs), 0.25f);
    EXPECT_EQ(next.getParameter(kPostMeter), 0.75f);
}

#ifdef _WIN32
// The registry sees binary records, UTF-16 texts and 32-bit numbers, each of its own type.
TEST_F(StoredSettingsTest, TheRegistryHoldsEachValueWithItsType) {
    {
        Instance in;
        ASSERT_TRUE(in.editor->storeDefaultBank());
        ASSERT_TRUE(in.editor->storeMemo(CPresetSystemEditor::Memo::B));
        ASSERT_TRUE(storeMeteringPreferences(*in.effect));
    }
    struct Expected {
        const wchar_t* key;
        const wchar_t* name;
        DWORD type, size;
    } expected[] = {
        {L"SOFTWARE\\OKA-tonelab\\OKAzarpa", L"DefaultBank", REG_BINARY, 3077},
        {L"SOFTWARE\\OKA-tonelab\\OKAzarpa", L"MemoB", REG_BINARY, 133},
        {L"SOFTWARE\\OKA-tonelab\\OKAzarpa", L"CurrPreset", REG_SZ, 2},
        {L"SOFTWARE\\OKA-tonelab\\OKAzarpa\\PREFS", L"Metering_AttShow", REG_DWORD, 4},
    };
    for (const Expected& e : expected) {
        DWORD type = 0, size = 0;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, e.key, e.name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, e.type);
        EXPECT_EQ(size, e.size);
    }
}
#endif

// The whole start-up of the real effect: preferences into program 0, then the stored default preset over it.
TEST_F(StoredSettingsTest, TheEffectStartsWithTheStoredDefaultPresetOverThePreferences) {
    {
        Plugin first(nullptr);
        auto* editor = static_cast<CPresetSystemEditor*>(first.getEditor());
        first.setParameter(kDrive, 0.625f);
        first.setParameter(kScale, stepToValue(1, 3));
        ASSERT_TRUE(editor->storeDefaultPreset());
        first.setParameter(kScale, stepToValue(2, 3));
        ASSERT_TRUE(storeMeteringPreferences(first));
    }
    Plugin next(nullptr);
    EXPECT_EQ(next.getParameter(kDrive), 0.625f);
    EXPECT_EQ(next.getParameter(kScale), stepToValue(1, 3));
    char name[kProgramNameSize + 1];
    next.getProgramName(name);
    EXPECT_STREQ(name, "Default");
}

}  // namespace
}  // namespace zarpa::test
