// Byte layouts the plug-in shares with the hosts that read its data: the state chunk the host saves and
// restores, and the preset and bank records of files and settings-store slots. The plug-in's preset
// system writes them; the renderer builds and checks them without reaching into the plug-in.
//
// State chunk (3104 bytes): five 32-bit header words (marker, identifier, program count, current program,
// reserved) padded to 32 bytes, then the 24 program records. Preset and bank records, no padding: the
// identifier (4 bytes), a kind byte, then one or 24 program records; the preset's program starts at the
// odd offset 5. Every word is in the writer's byte order; readers that find the identifier byte-reversed
// reverse every 32-bit value, never the names.
#pragma once

#include "records/program_record.h"

namespace zarpa {

constexpr int kChunkMarkerOffset = 0;
constexpr int kChunkIdOffset = 4;
constexpr int kChunkCountOffset = 8;
constexpr int kChunkCurrentOffset = 12;
constexpr int kChunkReservedOffset = 16;
constexpr int kChunkReservedWords = 4;
constexpr int kChunkHeaderSize = 32;
constexpr int kChunkSize = kChunkHeaderSize + kNumPrograms * static_cast<int>(sizeof(ProgramRecord));  // 3104
constexpr std::uint32_t kChunkMarker = 0x01000000;
static_assert(kChunkSize == 3104);

constexpr int kRecordHeaderSize = 5;
constexpr int kRecordKindOffset = 4;
constexpr int kPresetRecordSize = kRecordHeaderSize + static_cast<int>(sizeof(ProgramRecord));                 // 133
constexpr int kBankRecordSize = kRecordHeaderSize + kNumPrograms * static_cast<int>(sizeof(ProgramRecord));  // 3077
constexpr unsigned char kPresetKind = 0x21;  // '!'
constexpr unsigned char kBankKind = 0x37;    // '7'
static_assert(kPresetRecordSize == 133 && kBankRecordSize == 3077);

}  // namespace zarpa
