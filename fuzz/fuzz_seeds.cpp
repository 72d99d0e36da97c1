// Writes the starting corpus of every fuzz target: valid chunks and records in both byte orders, and a
// settings store holding a default bank, a default preset, paths and preferences.
// Usage: fuzz_seeds <corpus root>  (creates <root>/<target>/seed-*).
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/platform.h"

using namespace zarpa;
using Bytes = std::vector<unsigned char>;

namespace {

std::string root;

void writeSeed(const char* target, const char* name, const Bytes& bytes) {
    const std::string dir = root + '/' + target;
    mkdir(dir.c_str(), 0755);
    if (std::FILE* f = std::fopen((dir + "/seed-" + name).c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

void swapWords(Bytes& b, std::size_t from, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) byteSwap32(b.data() + from + 4 * i);
}

// The same record as a machine of the other byte order writes it: identifier and values reversed.
Bytes foreignRecord(Bytes b, int programs) {
    swapWords(b, 0, 1);
    for (int k = 0; k < programs; ++k) swapWords(b, kRecordHeaderSize + 128 * k + kProgramNameSize, kNumParams);
    return b;
}

void append(Bytes& input, int valueIndex, const Bytes& bytes) {
    input.push_back(static_cast<unsigned char>(valueIndex));
    input.push_back(static_cast<unsigned char>(bytes.size() & 0xFF));
    input.push_back(static_cast<unsigned char>(bytes.size() >> 8));
    input.insert(input.end(), bytes.begin(), bytes.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus root>\n", argv[0]);
        return 2;
    }
    root = argv[1];
    mkdir(root.c_str(), 0755);
    Plugin& effect = fuzz::sharedEffect();
    CPresetSystemEditor& editor = fuzz::sharedEditor();
    effect.selectProgram(10);

    void* chunkData = nullptr;
    const VstInt32 chunkSize = effect.getChunk(&chunkData, false);
    const Bytes chunk(static_cast<unsigned char*>(chunkData), static_cast<unsigned char*>(chunkData) + chunkSize);
    Bytes foreignChunk = chunk;
    for (std::size_t off : {0, 4, 8, 12, 16, 20, 24, 28}) swapWords(foreignChunk, off, 1);
    for (int k = 0; k < kNumPrograms; ++k) swapWords(foreignChunk, 32 + 128 * k + kProgramNameSize, kNumParams);
    writeSeed("set_chunk", "native", chunk);
    writeSeed("set_chunk", "foreign", foreignChunk);

    Bytes preset(kPresetRecordSize), bank(kBankRecordSize);
    editor.writePreset(preset.data());
    editor.writeBank(bank.data());
    writeSeed("read_preset", "native", preset);
    writeSeed("read_preset", "foreign", foreignRecord(preset, 1));
    Bytes reversedLoad = preset;
    reversedLoad.push_back(1);
    writeSeed("read_preset", "reversed-load", reversedLoad);
    writeSeed("read_bank", "native", bank);
    writeSeed("read_bank", "foreign", foreignRecord(bank, kNumPrograms));

    Bytes store;
    append(store, 0, bank);
    append(store, 1, preset);
    append(store, 2, foreignRecord(preset, 1));
    const std::u16string dir = platform::toUtf16("/home/user/Presets/");
    append(store, 3, Bytes(reinterpret_cast<const unsigned char*>(dir.c_str()),
                           reinterpret_cast<const unsigned char*>(dir.c_str() + dir.size() + 1)));
    const std::int32_t steps[] = {2, 1, 1, 5, 0, 1};
    for (int i = 0; i < 6; ++i)
        append(store, 6 + i, Bytes(reinterpret_cast<const unsigned char*>(&steps[i]),
                                   reinterpret_cast<const unsigned char*>(&steps[i] + 1)));
    writeSeed("settings_store", "full", store);
    return 0;
}
