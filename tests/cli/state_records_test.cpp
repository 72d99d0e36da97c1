// Preset, bank and chunk bytes: both byte orders, and a clear refusal for every damaged file.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "cli/cli_error.h"
#include "cli/state_records.h"

namespace zarpacli {
namespace {

constexpr std::int32_t kId = ('O' << 24) | ('K' << 16) | ('z' << 8) | 'r';

void putWord(Bytes& b, std::size_t offset, std::uint32_t v, bool foreign) {
    if (foreign) v = zarpa::byteSwapped(v);
    std::memcpy(&b[offset], &v, 4);
}

void putProgram(Bytes& b, std::size_t offset, const char* name, float first, bool foreign) {
    std::strncpy(reinterpret_cast<char*>(&b[offset]), name, 24);
    for (int j = 0; j < zarpa::kNumParams; ++j) {
        float v = first + j / 100.0f;
        std::uint32_t w;
        std::memcpy(&w, &v, 4);
        putWord(b, offset + 24 + 4 * j, w, foreign);
    }
}

Bytes presetFile(bool foreign) {
    Bytes b(kPresetRecordBytes, 0);
    putWord(b, 0, static_cast<std::uint32_t>(kId), foreign);
    b[4] = kPresetKind;
    putProgram(b, 5, "Odd Offset", 0.5f, foreign);
    return b;
}

Bytes bankFile(bool foreign) {
    Bytes b(kBankRecordBytes, 0);
    putWord(b, 0, static_cast<std::uint32_t>(kId), foreign);
    b[4] = kBankKind;
    for (int k = 0; k < 24; ++k) putProgram(b, 5 + 128 * k, std::string("P").append(std::to_string(k)).c_str(), k / 100.0f, foreign);
    return b;
}

Bytes chunk(bool foreign) {
    Bytes b(kStateChunkBytes, 0);
    putWord(b, 0, kChunkMarker, foreign);
    putWord(b, 4, static_cast<std::uint32_t>(kId), foreign);
    putWord(b, 8, 24, foreign);
    putWord(b, 12, 3, foreign);
    return b;
}

std::string processingMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const CliError& e) {
        EXPECT_EQ(e.exitCode(), kExitProcessing);
        return e.what();
    }
    return "";
}

TEST(PresetRecord, ReadsNameAndValuesInEitherByteOrder) {
    for (bool foreign : {false, true}) {
        ProgramRecord r = parsePresetRecord(presetFile(foreign), kId, "p.oka");
        EXPECT_STREQ(r.name, "Odd Offset");
        EXPECT_EQ(r.values[0], 0.5f);
        EXPECT_EQ(r.values[25], 0.5f + 25 / 100.0f);
    }
}

TEST(BankRecord, ReadsAll24ProgramsInEitherByteOrder) {
    for (bool foreign : {false, true}) {
        Bank bank = parseBankRecord(bankFile(foreign), kId, "b.okb");
        EXPECT_STREQ(bank[0].name, "P0");
        EXPECT_STREQ(bank[23].name, "P23");
        EXPECT_EQ(bank[23].values[1], 0.23f + 0.01f);
    }
}

TEST(Records, DamagedOrMistakenFilesAreRefusedWithTheReason) {
    Bytes cut = presetFile(false);
    cut.resize(29);
    EXPECT_NE(processingMessage([&] { parsePresetRecord(cut, kId, "p.oka"); })
                  .find("p.oka: a preset file has 133 bytes, this file has 29"),
              std::string::npos);
    EXPECT_NE(processingMessage([&] { parsePresetRecord(bankFile(false), kId, "b.okb"); })
                  .find("this is a bank file, not a preset file; use --bank-file"),
              std::string::npos);
    EXPECT_NE(processingMessage([&] { parseBankRecord(presetFile(false), kId, "p.oka"); }).find("use --preset-file"),
              std::string::npos);
    EXPECT_NE(processingMessage([&] { parsePresetRecord(presetFile(false), kId + 1, "p.oka"); })
                  .find("belongs to another plug-in"),
              std::string::npos);
    Bytes wrongKind = presetFile(false);
    wrongKind[4] = kBankKind;
    EXPECT_NE(processingMessage([&] { parsePresetRecord(wrongKind, kId, "p.oka"); }).find("not a preset record"),
              std::string::npos);
}

TEST(ChunkData, AcceptsEitherByteOrderAndRefusesWrongSizeMarkerOrCount) {
    EXPECT_NO_THROW(checkChunkData(chunk(false), kId, "c"));
    EXPECT_NO_THROW(checkChunkData(chunk(true), kId, "c"));
    Bytes small = chunk(false);
    small.pop_back();
    EXPECT_NE(processingMessage([&] { checkChunkData(small, kId, "c"); }).find("3104 bytes, this file has 3103"),
              std::string::npos);
    Bytes marker = chunk(true);
    putWord(marker, 0, 0x02000000, true);
    EXPECT_NE(processingMessage([&] { checkChunkData(marker, kId, "c"); }).find("unknown state chunk version"),
              std::string::npos);
    Bytes count = chunk(false);
    putWord(count, 8, 23, false);
    EXPECT_NE(processingMessage([&] { checkChunkData(count, kId, "c"); }).find("23 programs"), std::string::npos);
    EXPECT_NE(processingMessage([&] { checkChunkData(chunk(false), kId ^ 1, "c"); }).find("another plug-in"),
              std::string::npos);
}

TEST(StateChunk, EditsTheCurrentIndexAndProgramsInPlace) {
    StateChunk c(chunk(false));
    EXPECT_EQ(c.currentProgram(), 3);
    c.setCurrentProgram(17);
    Bank bank = parseBankRecord(bankFile(false), kId, "b");
    c.setProgram(23, bank[5]);
    StateChunk again(c.bytes());
    EXPECT_EQ(again.currentProgram(), 17);
    EXPECT_STREQ(again.program(23).name, "P5");
    EXPECT_EQ(std::memcmp(&c.bytes()[32 + 128 * 23], &bank[5], 128), 0);
    EXPECT_EQ(again.program(22).values[0], 0.0f);
    EXPECT_THROW(StateChunk(chunk(true)), CliError);  // the plug-in hands out its own byte order only
}

}  // namespace
}  // namespace zarpacli
