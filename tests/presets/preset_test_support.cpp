// Private settings store, scratch directories and file helpers for the preset tests.
#include "preset_test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zarpa::test {

namespace {

std::filesystem::path uniqueTempDirectory() {
    std::random_device rd;
    for (;;) {
        auto dir = std::filesystem::temp_directory_path() / ("zarpa-presets-" + std::to_string(rd()));
        if (std::filesystem::create_directory(dir)) return dir;
    }
}

#ifdef _WIN32
// The registry has one current user per process: point HKEY_CURRENT_USER at a fresh scratch key per test.
HKEY scratchUserRoot = nullptr;

void overrideUserRoot(const std::wstring& name) {
    RegDeleteTreeW(HKEY_CURRENT_USER, name.c_str());
    if (RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &scratchUserRoot, nullptr) == ERROR_SUCCESS)
        RegOverridePredefKey(HKEY_CURRENT_USER, scratchUserRoot);
}

void restoreUserRoot(const std::wstring& name) {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (scratchUserRoot) RegCloseKey(scratchUserRoot);
    scratchUserRoot = nullptr;
    RegDeleteTreeW(HKEY_CURRENT_USER, name.c_str());
}

std::wstring scratchRootName() { return L"Software\\ZarpaPresetTests\\" + std::to_wstring(GetCurrentProcessId()); }
#endif

}  // namespace

void PresetStoreTest::SetUp() {
    scratch = uniqueTempDirectory();
#ifdef _WIN32
    overrideUserRoot(scratchRootName());
#else
    const char* home = std::getenv("XDG_CONFIG_HOME");
    hadConfigHome = home != nullptr;
    if (home) savedConfigHome = home;
    std::filesystem::create_directory(scratch / "config");
    setenv("XDG_CONFIG_HOME", (scratch / "config").string().c_str(), 1);
#endif
}

void PresetStoreTest::TearDown() {
#ifdef _WIN32
    restoreUserRoot(scratchRootName());
#else
    if (hadConfigHome) setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
#endif
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

std::string PresetStoreTest::scratchPath(const std::string& fileName) const { return (scratch / fileName).string(); }

std::vector<unsigned char> PresetStoreTest::readStoredValue(const char* keyPath, const char* name) {
    std::vector<unsigned char> bytes(8192);
    auto key = platform::openSettingsKey(keyPath);
    const long n = key ? key->readValue(name, bytes.data(), bytes.size()) : -1;
    bytes.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return bytes;
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void fillPrograms(TestEffect& effect) {
    for (int k = 0; k < kNumPrograms; ++k) {
        setRecordName(effect.program(k), ("Program " + std::to_string(k)).c_str());
        for (int j = 0; j < kNumParams; ++j) effect.program(k).values[j] = static_cast<float>(k) + j / 100.0f;
    }
}

}  // namespace zarpa::test
