// Record slots and remembered paths in the per-user settings store.
#include "presets/stored_settings.h"

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "presets/record_files.h"

namespace zarpa {

bool storeRecord(const char* valueName, const unsigned char* record, std::size_t size) {
    auto key = platform::createSettingsKey(kSettingsKeyPath);
    return key && key->writeValue(valueName, platform::ValueType::Binary, record, size);
}

void loadStoredRecord(const char* valueName, unsigned char* buffer, std::size_t size) {
    std::memset(buffer, 0, size);
    auto key = platform::openSettingsKey(kSettingsKeyPath);
    // A failed query (a value longer than the record) may have scribbled on the buffer: clear it again.
    if (key && key->readValue(valueName, buffer, size) < 0) std::memset(buffer, 0, size);
}

void clearStoredRecord(const char* valueName) {
    // Deleting needs write access, and opening for writing would create a missing key: look first.
    if (!platform::openSettingsKey(kSettingsKeyPath)) return;
    if (auto key = platform::createSettingsKey(kSettingsKeyPath)) key->deleteValue(valueName);
}

namespace {

bool storeText(platform::SettingsKey& key, const char* valueName, const char* text) {
    const std::u16string wide = platform::toUtf16(text);
    return key.writeValue(valueName, platform::ValueType::Text, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
}

void loadText(platform::SettingsKey* key, const char* valueName, char* text) {
    text[0] = 0;
    if (!key) return;
    char16_t wide[kPathTextSize] = {};
    if (key->readValue(valueName, wide, sizeof wide) < 0) return;
    // A multibyte conversion can outgrow the buffer; a cut path would name another place.
    const std::string narrow = platform::fromUtf16(wide, kPathTextSize);
    if (narrow.size() >= kPathTextSize) return;
    std::memcpy(text, narrow.c_str(), narrow.size() + 1);
}

}  // namespace

bool storePathTexts(const char* directory, const char* bankFile, const char* presetFile) {
    auto key = platform::createSettingsKey(kSettingsKeyPath);
    if (!key) return false;
    bool ok = storeText(*key, kCurrentDirectoryValue, directory);
    ok = storeText(*key, kCurrentBankValue, bankFile) && ok;
    return storeText(*key, kCurrentPresetValue, presetFile) && ok;
}

void loadPathTexts(char* directory, char* bankFile, char* presetFile) {
    auto key = platform::openSettingsKey(kSettingsKeyPath);
    loadText(key.get(), kCurrentDirectoryValue, directory);
    loadText(key.get(), kCurrentBankValue, bankFile);
    loadText(key.get(), kCurrentPresetValue, presetFile);
}

}  // namespace zarpa
