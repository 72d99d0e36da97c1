// Fuzz target: preset and bank records as a file or a settings-store slot delivers them (readPreset and
// readBank on a record-sized buffer, short input zero-filled), in both byte-order modes.
#include <cstring>

#include "fuzz_support.h"

using namespace zarpa;

#ifndef ZARPA_FUZZ_BANK
constexpr int kRecordSize = kPresetRecordSize;
constexpr unsigned char kKind = kPresetKind;
#else
constexpr int kRecordSize = kBankRecordSize;
constexpr unsigned char kKind = kBankKind;
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CPresetSystemEditor& editor = fuzz::sharedEditor();
    // The byte after the record chooses the endian-reversed load, as a right click would.
    const bool endianReversed = size > static_cast<std::size_t>(kRecordSize) && (data[kRecordSize] & 1);
    unsigned char record[kRecordSize] = {};
    std::memcpy(record, data, size < sizeof record ? size : sizeof record);
#ifndef ZARPA_FUZZ_BANK
    editor.readPreset(record, endianReversed);
#else
    editor.readBank(record, endianReversed);
#endif
    fuzz::processShortBlock(fuzz::sharedEffect());

    // A record of this plug-in, in this machine's order and loaded plainly, must write back unchanged
    // (a preset's name is set as text, so bytes after its terminator are not kept).
    std::uint32_t id;
    std::memcpy(&id, record, 4);
    if (id == static_cast<std::uint32_t>(kUniqueId) && record[4] == kKind && !endianReversed) {
        unsigned char written[kRecordSize] = {};
#ifndef ZARPA_FUZZ_BANK
        editor.writePreset(written);
        const std::size_t nameLength = strnlen(reinterpret_cast<const char*>(record) + 5, kProgramNameSize);
        std::memset(record + 5 + nameLength, 0, kProgramNameSize - nameLength);
#else
        editor.writeBank(written);
#endif
        if (std::memcmp(written, record, sizeof record) != 0) __builtin_trap();
    }
    return 0;
}
