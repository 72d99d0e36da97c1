// The program store behind the single host program, program names, the state chunk in both byte
// orders with its refusals, and the factory presets.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugin/plugin.h"
#include "presets/factory_presets.h"
#include "tests/foundation/temp_config.h"

using namespace zarpa;

namespace {

std::vector<unsigned char> chunkOf(Plugin& p) {
    void* data = nullptr;
    const VstInt32 size = p.getChunk(&data, false);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

std::uint32_t wordAt(const std::vector<unsigned char>& chunk, std::size_t offset) {
    std::uint32_t v;
    std::memcpy(&v, chunk.data() + offset, 4);
    return v;
}

// The chunk as a machine of the other byte order writes it: header words and values reversed, names not.
std::vector<unsigned char> foreignOrder(std::vector<unsigned char> chunk) {
    for (std::size_t off = 0; off < 32; off += 4) byteSwap32(chunk.data() + off);
    for (int k = 0; k < kNumPrograms; ++k)
        for (int j = 0; j < kNumParams; ++j) byteSwap32(chunk.data() + 32 + 128 * k + 24 + 4 * j);
    return chunk;
}

std::string name(Plugin& p, int index) {
    char text[32] = {};
    p.getProgramNameIndexed(0, index, text);
    return text;
}

class ProgramStore : public ::testing::Test {
protected:
    TempConfigHome config;
    std::unique_ptr<Plugin> plugin = std::make_unique<Plugin>(nullptr);
};

}  // namespace

TEST_F(ProgramStore, HostSeesOneProgramAndTheNamesOfAll24) {
    plugin->selectProgram(7);
    EXPECT_EQ(plugin->getProgram(), 0);
    plugin->setProgram(5);  // ignored
    EXPECT_EQ(plugin->getCurrentProgramIndex(), 7);
    EXPECT_EQ(name(*plugin, 0), "Default");
    EXPECT_EQ(name(*plugin, 10), "CD Master 3 [recon]");
    EXPECT_EQ(name(*plugin, 23), "Total Disorder");
    char text[32] = "untouched";
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, 24, text));
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, -1, text));
    EXPECT_STREQ(text, "untouched");
}

TEST_F(ProgramStore, NamesAreCutTo24Characters) {
    char longName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";  // 30 characters
    plugin->setProgramName(longName);
    char text[64];
    std::memset(text, 'x', sizeof text);
    plugin->getProgramName(text);
    EXPECT_STREQ(text, "ABCDEFGHIJKLMNOPQRSTUVWX");

    char exact[] = "123456789012345678901234";
    plugin->setProgramName(exact);
    plugin->getProgramName(text);
    EXPECT_STREQ(text, exact);
    EXPECT_EQ(std::memcmp(plugin->programs()[0].name, exact, 24), 0);  // no terminator in the field

    plugin->setCurrentProgramName("short");
    EXPECT_EQ(plugin->programs()[0].name[5], 0);
    EXPECT_EQ(plugin->programs()[0].name[23], 0);
}

TEST_F(ProgramStore, ChunkLayout) {
    void* first = nullptr;
    void* second = nullptr;
    EXPECT_EQ(plugin->getChunk(&first, false), kChunkSize);
    EXPECT_EQ(plugin->getChunk(&second, true), kChunkSize);
    EXPECT_EQ(first, second);
    plugin->selectProgram(4);
    const auto chunk = chunkOf(*plugin);
    EXPECT_EQ(wordAt(chunk, 0), 0x01000000u);
    EXPECT_EQ(wordAt(chunk, 4), static_cast<std::uint32_t>(kUniqueId));
    EXPECT_EQ(wordAt(chunk, 8), 24u);
    EXPECT_EQ(wordAt(chunk, 12), 4u);
    for (std::size_t off = 16; off < 32; off += 4) EXPECT_EQ(wordAt(chunk, off), 0u);
    EXPECT_EQ(std::memcmp(chunk.data() + 32, plugin->programs(), 3072), 0);
    EXPECT_EQ(plugin->getChunk(nullptr, false), 0);
}

TEST_F(ProgramStore, ChunkRoundTripsInBothByteOrders) {
    plugin->selectProgram(9);
    plugin->setParameter(kDrive, 0.8125f);
    plugin->setProgramName(const_cast<char*>("Album master"));
    const auto saved = chunkOf(*plugin);

    for (const auto& chunk : {saved, foreignOrder(saved)}) {
        TempConfigHome otherConfig;
        Plugin restored(nullptr);
        std::vector<unsigned char> copy = chunk;
        EXPECT_EQ(restored.setChunk(copy.data(), kChunkSize, false), 0);
        EXPECT_EQ(restored.getCurrentProgramIndex(), 9);
        EXPECT_FLOAT_EQ(restored.getParameter(kDrive), 0.8125f);  // the current program was applied
        EXPECT_EQ(name(restored, 9), "Album master");
        EXPECT_EQ(chunkOf(restored), saved);
    }
}

TEST_F(ProgramStore, ChunkRefusalsChangeNothing) {
    const auto before = chunkOf(*plugin);
    auto chunk = before;
    chunk.push_back(0);
    EXPECT_EQ(plugin->setChunk(chunk.data(), 3105, false), -1);
    EXPECT_EQ(plugin->setChunk(chunk.data(), 3103, false), -1);
    EXPECT_EQ(plugin->setChunk(nullptr, kChunkSize, false), -1);

    auto otherId = before;
    otherId[4] ^= 0x55;
    otherId[40] ^= 0x55;  // a name byte: must not arrive
    EXPECT_EQ(plugin->setChunk(otherId.data(), kChunkSize, false), -1);

    auto badCount = before;
    badCount[8] = 23;
    badCount[40] ^= 0x55;
    EXPECT_EQ(plugin->setChunk(badCount.data(), kChunkSize, false), -1);

    auto badMarker = before;
    badMarker[0] = 1;
    badMarker[40] ^= 0x55;
    EXPECT_EQ(plugin->setChunk(badMarker.data(), kChunkSize, false), 0);  // ignored, not refused

    EXPECT_EQ(chunkOf(*plugin), before);
}

TEST_F(ProgramStore, ChunkWithInvalidCurrentIndexStoresButAppliesNothing) {
    plugin->selectProgram(2);
    auto chunk = chunkOf(*plugin);
    const float drive = 0.95f;
    std::memcpy(chunk.data() + 32 + 128 * 2 + 24 + 4 * kDrive, &drive, 4);
    for (std::int32_t index : {24, -1}) {
        std::memcpy(chunk.data() + 12, &index, 4);
        EXPECT_EQ(plugin->setChunk(chunk.data(), kChunkSize, false), 0);
        EXPECT_FLOAT_EQ(plugin->programs()[2].values[kDrive], 0.95f);
        EXPECT_NE(plugin->getParameter(kDrive), 0.95f);
        EXPECT_EQ(plugin->getCurrentProgramIndex(), 2);
    }
}

TEST_F(ProgramStore, ChunkHandedBackFromItsOwnBufferIsAccepted) {
    void* data = nullptr;
    plugin->selectProgram(6);
    const VstInt32 size = plugin->getChunk(&data, false);
    EXPECT_EQ(plugin->setChunk(data, size, false), 0);
    EXPECT_EQ(plugin->getCurrentProgramIndex(), 6);
}

TEST_F(ProgramStore, FactoryPresetsFillTheStore) {
    const char* names[] = {"Default", "Limiter Smooth", "Limiter Gentle", "Limiter Fast", "Limiter Hard",
                           "Loudness 1", "Loudness 2", "Loudness 3", "CD Master 1", "CD Master 2",
                           "CD Master 3 [recon]", "Game 1", "Game 2", "TV Limiter", "TV Loudness", "TV Hot",
                           "HiRes Limiter", "HiRes Loudness", "Cine 1", "Cine 2 [recon]", "Cine 3", "Loud Love",
                           "Loud It Up", "Total Disorder"};
    for (int k = 0; k < kNumPrograms; ++k) {
        EXPECT_EQ(name(*plugin, k), names[k]);
        const float* v = plugin->programs()[k].values;
        EXPECT_EQ(v[kVersionMarker], 0.015f) << k;
        EXPECT_EQ(v[kPower], 1.0f);
        EXPECT_EQ(v[kAttShow], 0.9375f);
        EXPECT_EQ(v[kOutput], k == 0 ? 1.0f : (k >= 13 && k <= 15) ? 0.166667f : 0.999167f) << k;
    }
    // Spot checks of the table against the texts the presets are meant to select.
    plugin->selectProgram(10);
    char text[32];
    plugin->getParameterDisplay(kOversample, text);
    EXPECT_STREQ(text, "on");
    plugin->getParameterDisplay(kNoiseShape, text);
    EXPECT_STREQ(text, "type C");
    plugin->selectProgram(11);
    plugin->getParameterDisplay(kBits, text);
    EXPECT_STREQ(text, "8");
    plugin->getParameterDisplay(kTransShape, text);
    EXPECT_STREQ(text, "hard");
    EXPECT_FLOAT_EQ(factoryPreset(23).values[kDrive], 0.75f);
    EXPECT_FLOAT_EQ(factoryPreset(6).values[kDetectorOrder], 1.0f);
}
