// Path splitting, replacing writes that survive a failed save, and the Linux store's handling of odd files.
#include <algorithm>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include "platform/platform.h"
#include "preset_test_support.h"
#include "presets/record_files.h"

namespace zarpa::test {
namespace {

struct Split {
    bool done;
    std::string file, dir;
};

Split split(const std::string& path) {
    char file[kPathTextSize] = "old.oka", dir[kPathTextSize] = "old/";
    const bool done = splitPath(path.c_str(), file, dir);
    return {done, file, dir};
}

TEST(SplitPath, CutsAtTheLastSeparatorAndRefusesWhatDoesNotFit) {
    const std::string s(1, '/');
    EXPECT_EQ(split(s + "home" + s + "me" + s + "a.oka").file, "a.oka");
    EXPECT_EQ(split(s + "home" + s + "me" + s + "a.oka").dir, s + "home" + s + "me" + s);
    EXPECT_EQ(split(s + "home" + s).file, "");  // a directory chosen: no file name
    const Split bare = split("a.oka");
    EXPECT_FALSE(bare.done);
    EXPECT_EQ(bare.file + "|" + bare.dir, "old.oka|old/");

    const std::string longest(255, 'd');  // 255 characters and the separator: exactly fits
    EXPECT_TRUE(split(longest + s + "x.oka").done);
    const Split tooLong = split(longest + "d" + s + "x.oka");
    EXPECT_FALSE(tooLong.done);
    EXPECT_EQ(tooLong.file, "old.oka");
    EXPECT_FALSE(split(s + std::string(257, 'f')).done);
}

#ifdef _WIN32
TEST(SplitPath, TakesBothSeparatorsInTheDll) {
    EXPECT_EQ(split("C:\\Presets\\sub/b.okb").dir, "C:\\Presets\\sub/");
    EXPECT_EQ(split("C:\\Presets/sub\\b.okb").file, "b.okb");
}
#endif

using ReplacingWriteTest = PresetStoreTest;

std::vector<std::string> entries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ReplacingWriteTest, ReplacesWholeAndLeavesNoTemporaryFiles) {
    const std::string path = scratchPath("bank.okb");
    writeFile(path, std::vector<unsigned char>(5000, 0xAA));
    const auto before = entries(scratch);
    const std::vector<unsigned char> fresh(3077, 0x55);
    ASSERT_TRUE(platform::writeFileReplacing(path.c_str(), fresh.data(), fresh.size()));
    EXPECT_EQ(readFile(path), fresh);
    EXPECT_EQ(entries(scratch), before) << "no temporary file left";

    std::filesystem::create_directory(scratch / "dir.okb");
    EXPECT_FALSE(platform::writeFileReplacing(scratchPath("dir.okb").c_str(), fresh.data(), fresh.size()));
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "dir.okb"));
}

#ifndef _WIN32
// A save that runs out of space part-way (here: a file-size limit) must leave the previous file whole.
TEST_F(ReplacingWriteTest, AFailedSaveKeepsThePreviousBankFile) {
    Instance in;
    fillPrograms(*in.effect);
    ScriptedSelector selector;
    selector.choices = {scratchPath("keep.okb")};
    in.editor->setFileSelector(&selector);
    in.editor->saveBankFile();
    const auto before = readFile(scratchPath("keep.okb"));
    const auto files = entries(scratch);

    in.effect->initFactoryPresets();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = in.editor->saveBankFileTo(scratchPath("keep.okb").c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(scratchPath("keep.okb")), before);
    EXPECT_EQ(entries(scratch), files) << "no temporary file left";
}

TEST_F(ReplacingWriteTest, TheLinuxStoreCreatesItsFoldersButNeverAMissingBase) {
    const auto missing = scratch / "missing";
    setenv("XDG_CONFIG_HOME", missing.c_str(), 1);
    EXPECT_FALSE(platform::createSettingsKey(kSettingsKeyPath));
    unsetenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", missing.c_str(), 1);
    EXPECT_FALSE(platform::createSettingsKey(kSettingsKeyPath));
    EXPECT_FALSE(std::filesystem::exists(missing)) << "the store never makes the user's home";

    std::filesystem::create_directory(scratch / "home");
    setenv("HOME", (scratch / "home").c_str(), 1);
    EXPECT_TRUE(platform::createSettingsKey(kSettingsKeyPath));
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "home" / ".config" / "SOFTWARE" / "OKA-tonelab" / "OKAzarpa"));
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
}

TEST_F(ReplacingWriteTest, TheLinuxStoreReadsOnlyRegularValuesThatFit) {
    auto key = platform::createSettingsKey(kSettingsKeyPath);
    ASSERT_TRUE(key);
    const auto dir = scratch / "config" / "SOFTWARE" / "OKA-tonelab" / "OKAzarpa";
    ASSERT_EQ(mkfifo((dir / "MemoA").c_str(), 0600), 0);  // would block a plain open forever
    std::filesystem::create_directory(dir / "MemoB");
    unsigned char buffer[kPresetRecordSize];
    EXPECT_EQ(key->readValue("MemoA", buffer, sizeof buffer), -1);
    EXPECT_EQ(key->readValue("MemoB", buffer, sizeof buffer), -1);
    EXPECT_EQ(key->readValue("..", buffer, sizeof buffer), -1);

    const std::int32_t five = 5;
    ASSERT_TRUE(key->writeValue("Five", platform::ValueType::Dword, &five, 4));
    std::int32_t small = 0;
    EXPECT_EQ(key->readValue("Five", &small, 3), -1) << "a value longer than the buffer fails its query";
    EXPECT_EQ(key->readValue("Five", &small, 4), 4);
    EXPECT_EQ(small, 5);
    EXPECT_FALSE(platform::createSettingsKey("SOFTWARE\\..\\escape"));
    EXPECT_FALSE(platform::createSettingsKey("SOFTWARE/escape"));
}
#endif

}  // namespace
}  // namespace zarpa::test
