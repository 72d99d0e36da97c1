// Preset and bank record fields and the byte-order rule.
#include "presets/preset_records.h"

#include <cstring>

namespace zarpa {

std::optional<bool> recordByteOrderSwapped(const unsigned char* record, std::int32_t presetId) {
    std::uint32_t stored;
    std::memcpy(&stored, record, sizeof stored);
    const auto id = static_cast<std::uint32_t>(presetId);
    // Native first: an identifier that reads the same both ways can only be taken as written here.
    if (stored == id) return false;
    if (stored == byteSwapped(id)) return true;
    return std::nullopt;
}

void writeRecordHeader(unsigned char* record, std::int32_t presetId, unsigned char kind) {
    std::memcpy(record, &presetId, sizeof presetId);
    record[kRecordKindOffset] = kind;
}

void writeRecordProgram(const ProgramRecord& program, unsigned char* dst) {
    std::memcpy(dst, program.name, kProgramNameSize);
    std::memcpy(dst + kProgramNameSize, program.values, sizeof program.values);
}

void readRecordProgram(const unsigned char* src, ProgramRecord& program, bool swapValues) {
    std::memcpy(program.name, src, kProgramNameSize);
    for (int j = 0; j < kNumParams; ++j) {
        unsigned char word[4];
        std::memcpy(word, src + kProgramNameSize + 4 * j, 4);
        if (swapValues) byteSwap32(word);
        std::memcpy(&program.values[j], word, 4);
    }
}

ProgramName programName(const ProgramRecord& program) {
    ProgramName name;
    copyRecordName(program, name.text);
    return name;
}

}  // namespace zarpa
