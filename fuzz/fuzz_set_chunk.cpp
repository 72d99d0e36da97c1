// Fuzz target: the host's state chunk (setChunk), applied to a whole effect, then read back with getChunk.
#include <cstring>

#include "fuzz_support.h"

using namespace zarpa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Plugin& effect = fuzz::sharedEffect();
    std::uint8_t* copy = new std::uint8_t[size ? size : 1];  // exact size, so reads past it are caught
    std::memcpy(copy, data, size);
    const VstInt32 result = effect.setChunk(copy, static_cast<VstInt32>(size), false);
    if (result != 0 && result != -1) __builtin_trap();
    fuzz::processShortBlock(effect);

    // A chunk in this machine's order that was taken must come back program for program.
    void* out = nullptr;
    const VstInt32 outSize = effect.getChunk(&out, false);
    if (outSize != kChunkSize || !out) __builtin_trap();
    std::uint32_t id, marker, count;
    if (size == kChunkSize) {
        std::memcpy(&marker, copy, 4);
        std::memcpy(&id, copy + 4, 4);
        std::memcpy(&count, copy + 8, 4);
        const bool taken = id == static_cast<std::uint32_t>(kUniqueId) && marker == kChunkMarker && count == 24;
        if (taken && std::memcmp(static_cast<std::uint8_t*>(out) + 32, copy + 32, kChunkSize - 32) != 0)
            __builtin_trap();
    }
    delete[] copy;
    return 0;
}
