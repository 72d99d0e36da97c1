// One record layout, two readers: what the plug-in's preset system writes (state chunk, preset and bank
// records), the renderer reads as the same programs, and a chunk the renderer edits, the plug-in takes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cli/state_records.h"
#include "presets/preset_records.h"
#include "presets/preset_system_effect.h"

namespace zarpa {
namespace {

constexpr std::int32_t kId = ('O' << 24) | ('K' << 16) | ('z' << 8) | 'r';

// The preset system's part of the effect, without a signal path or an editor.
class StoreOnly : public CPresetSystemEffect {
public:
    StoreOnly() : CPresetSystemEffect(nullptr) {
        setUniqueID(kId);
        initFactoryPresets();
        for (int k = 0; k < kNumPrograms; ++k)
            for (int j = 0; j < kNumParams; ++j) programs()[k].values[j] = static_cast<float>(k * 100 + j) / 4096.0f;
        setRecordName(programs()[kNumPrograms - 1], "A name of twenty-four ch");  // no terminator in the field
    }
    void processReplacing(float**, float**, VstInt32) override {}
};

zarpacli::Bytes chunkOf(StoreOnly& effect) {
    void* data = nullptr;
    const VstInt32 size = effect.getChunk(&data, false);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return zarpacli::Bytes(bytes, bytes + size);
}

void expectSamePrograms(const ProgramRecord& a, const ProgramRecord& b, int k) {
    EXPECT_EQ(std::memcmp(a.name, b.name, kProgramNameSize), 0) << "program " << k;
    for (int j = 0; j < kNumParams; ++j) EXPECT_EQ(a.values[j], b.values[j]) << "program " << k << " value " << j;
}

TEST(SharedLayout, TheRendererReadsTheStateChunkThePresetSystemWrites) {
    StoreOnly effect;
    effect.selectProgram(7);
    const zarpacli::Bytes bytes = chunkOf(effect);
    ASSERT_EQ(bytes.size(), zarpacli::kStateChunkBytes);
    EXPECT_NO_THROW(zarpacli::checkChunkData(bytes, kId, "chunk"));
    const zarpacli::StateChunk chunk(bytes);
    EXPECT_EQ(chunk.currentProgram(), 7);
    for (int k = 0; k < kNumPrograms; ++k) expectSamePrograms(chunk.program(k), effect.programs()[k], k);
}

TEST(SharedLayout, ThePresetSystemTakesAChunkTheRendererEdited) {
    StoreOnly source;
    zarpacli::StateChunk chunk(chunkOf(source));
    ProgramRecord edited = chunk.program(3);
    setRecordName(edited, "Edited");
    edited.values[0] = 0.125f;
    chunk.setProgram(3, edited);
    chunk.setCurrentProgram(3);

    StoreOnly target;
    zarpacli::Bytes bytes = chunk.bytes();
    ASSERT_EQ(target.setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), false), 0);  // taken
    EXPECT_EQ(target.getCurrentProgramIndex(), 3);
    expectSamePrograms(target.programs()[3], edited, 3);
}

TEST(SharedLayout, TheRendererReadsThePresetAndBankRecordsThePresetSystemWrites) {
    StoreOnly effect;
    unsigned char preset[kPresetRecordSize];
    writeRecordHeader(preset, kId, kPresetKind);
    writeRecordProgram(effect.programs()[kNumPrograms - 1], preset + kRecordHeaderSize);
    expectSamePrograms(
        zarpacli::parsePresetRecord(zarpacli::Bytes(preset, preset + sizeof preset), kId, "preset"),
        effect.programs()[kNumPrograms - 1], kNumPrograms - 1);

    unsigned char bank[kBankRecordSize];
    writeRecordHeader(bank, kId, kBankKind);
    for (int k = 0; k < kNumPrograms; ++k)
        writeRecordProgram(effect.programs()[k], bank + kRecordHeaderSize + k * sizeof(ProgramRecord));
    const zarpacli::Bank parsed = zarpacli::parseBankRecord(zarpacli::Bytes(bank, bank + sizeof bank), kId, "bank");
    for (int k = 0; k < kNumPrograms; ++k) expectSamePrograms(parsed[k], effect.programs()[k], k);
}

}  // namespace
}  // namespace zarpa
