// Reading and writing the preset record (one program, 133 bytes) and the bank record (24 programs, 3077
// bytes) of preset files, bank files and the settings-store slots (layout in records/record_layout.h), and
// the byte-order rule for reading them. The preset's program starts at the odd offset 5, so every field
// goes through memcpy.
#pragma once

#include <cstdint>
#include <optional>

#include "records/record_layout.h"

namespace zarpa {

// The identifier test: nullopt when the record belongs to another plug-in; otherwise whether its values
// were written in the other byte order (the identifier is found byte-reversed) and must be swapped.
std::optional<bool> recordByteOrderSwapped(const unsigned char* record, std::int32_t presetId);

inline unsigned char recordKind(const unsigned char* record) { return record[kRecordKindOffset]; }

// Identifier in native order and kind byte.
void writeRecordHeader(unsigned char* record, std::int32_t presetId, unsigned char kind);

// One program of a record (name field and values) to or from the store. Names are copied as they are;
// each value is byte-reversed when swapValues is set.
void writeRecordProgram(const ProgramRecord& program, unsigned char* dst);
void readRecordProgram(const unsigned char* src, ProgramRecord& program, bool swapValues);

// The name field as zero-terminated text (a 24-character name has no terminator in the field).
struct ProgramName {
    char text[kProgramNameSize + 1];
};
ProgramName programName(const ProgramRecord& program);

}  // namespace zarpa
