// Fuzz target: whatever the Linux settings store holds (any bytes, any size, under every value name the
// plug-in reads) meets a new effect instance: metering preferences, default bank and preset, remembered
// paths, memo recall, and the paths stored back when the instance goes.
//
// Input: a sequence of entries [value index: 1 byte][length: 2 bytes, little-endian][bytes]; a value index
// with the top bit set leaves that value missing. A short entry takes what is left.
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "plugin/preferences.h"
#include "presets/stored_settings.h"

using namespace zarpa;

namespace {

struct StoredValue {
    const char* keyPath;
    const char* name;
};

const StoredValue kValues[] = {
    {kSettingsKeyPath, kDefaultBankValue},       {kSettingsKeyPath, kDefaultPresetValue},
    {kSettingsKeyPath, kMemoAValue},             {kSettingsKeyPath, kCurrentDirectoryValue},
    {kSettingsKeyPath, kCurrentBankValue},       {kSettingsKeyPath, kCurrentPresetValue},
    {kPreferencesKeyPath, "Metering_Scale"},     {kPreferencesKeyPath, "Metering_Type"},
    {kPreferencesKeyPath, "Metering_Zoom"},      {kPreferencesKeyPath, "Metering_AttShow"},
    {kPreferencesKeyPath, "Metering_Recon"},     {kPreferencesKeyPath, "Metering_Post"},
};
constexpr std::size_t kValueCount = sizeof kValues / sizeof kValues[0];

std::string valueFile(const StoredValue& v) {
    std::string path = fuzz::privateConfigHome() + '/';
    for (const char* p = v.keyPath; *p; ++p) path += *p == '\\' ? '/' : *p;
    return path + '/' + v.name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::privateConfigHome();
    platform::createSettingsKey(kPreferencesKeyPath);  // both keys' directories
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const StoredValue& v : kValues) std::remove(valueFile(v).c_str());
    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t which = data[pos++];
        std::size_t length = 0;
        if (pos + 2 <= size) length = data[pos] | (data[pos + 1] << 8);
        pos += 2;
        if (pos > size) break;
        if (length > size - pos) length = size - pos;
        if (!(which & 0x80)) {
            std::ofstream out(valueFile(kValues[which % kValueCount]), std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(data + pos), static_cast<std::streamsize>(length));
        }
        pos += length;
    }

    auto* effect = new Plugin(nullptr);
    auto* editor = static_cast<CPresetSystemEditor*>(effect->getEditor());
    for (const char* text : {editor->getCurrentDirectory(), editor->getCurrentBankFile(), editor->getCurrentPresetFile()})
        if (strnlen(text, kPathTextSize) >= kPathTextSize) __builtin_trap();
    editor->recallMemo(CPresetSystemEditor::Memo::A);
    fuzz::processShortBlock(*effect);
    delete effect;  // stores the remembered paths again
    return 0;
}
