// What the preset system keeps in the per-user settings store: the record slots (default bank, default
// preset, memo A and B), and the three remembered path texts.
//
// Threading: every call opens the key, does its work and closes it again; concurrent instances see the
// old or the new value of each slot, never a mix (the store writes values whole).
#pragma once

#include <cstddef>

namespace zarpa {

// The settings-store key of the plug-in's record slots and remembered paths.
constexpr const char* kSettingsKeyPath = "SOFTWARE\\OKA-tonelab\\OKAzarpa";

constexpr const char* kDefaultBankValue = "DefaultBank";
constexpr const char* kDefaultPresetValue = "DefaultPreset";
constexpr const char* kMemoAValue = "MemoA";
constexpr const char* kMemoBValue = "MemoB";
constexpr const char* kCurrentDirectoryValue = "CurrDir";
constexpr const char* kCurrentBankValue = "CurrBank";
constexpr const char* kCurrentPresetValue = "CurrPreset";

// Stores a record as a binary value of exactly size bytes. False when the key cannot be created.
bool storeRecord(const char* valueName, const unsigned char* record, std::size_t size);

// Fills buffer with the stored record, size bytes at most; zeros wherever nothing (or nothing readable,
// such as a value longer than the record) is stored.
void loadStoredRecord(const char* valueName, unsigned char* buffer, std::size_t size);

// Deletes a stored record; a missing key or value is no error. Never creates the key.
void clearStoredRecord(const char* valueName);

// The three remembered paths as UTF-16 texts with their terminators. False when nothing could be stored.
bool storePathTexts(const char* directory, const char* bankFile, const char* presetFile);

// Reads the three remembered paths into 8-bit texts of kPathTextSize bytes; a missing value, or one that does
// not fit, gives the empty text.
void loadPathTexts(char* directory, char* bankFile, char* presetFile);

}  // namespace zarpa
