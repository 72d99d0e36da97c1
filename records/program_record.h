// The unit of the program store, the state chunk and the preset and bank records: a 24-byte name
// field and the 26 normalised parameter values.
#pragma once

#include <cstdint>
#include <cstring>

namespace zarpa {

constexpr int kNumParams = 26;
constexpr int kNumPrograms = 24;
constexpr int kProgramNameSize = 24;

struct ProgramRecord {
    char name[kProgramNameSize];  // zero-terminated when shorter than 24 characters, else no terminator
    float values[kNumParams];
};
static_assert(sizeof(ProgramRecord) == 128);

// Name truncation used by every name-setting operation: at most 24 characters; a shorter name is
// zero-terminated with the rest of the field zeroed.
inline void setRecordName(ProgramRecord& record, const char* name) {
    std::memset(record.name, 0, sizeof record.name);
    if (!name) return;
    std::size_t n = strnlen(name, kProgramNameSize);
    std::memcpy(record.name, name, n);
}

// Copies the name field and a terminator into dst (25 bytes written).
inline void copyRecordName(const ProgramRecord& record, char* dst) {
    std::memcpy(dst, record.name, kProgramNameSize);
    dst[kProgramNameSize] = 0;
}

inline void byteSwap32(void* word) {
    auto* b = static_cast<unsigned char*>(word);
    unsigned char t = b[0];
    b[0] = b[3];
    b[3] = t;
    t = b[1];
    b[1] = b[2];
    b[2] = t;
}

inline std::uint32_t byteSwapped(std::uint32_t v) {
    byteSwap32(&v);
    return v;
}

}  // namespace zarpa
