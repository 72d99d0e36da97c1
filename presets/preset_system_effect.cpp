// Program store, program selection and the 3104-byte state chunk.
#include "presets/preset_system_effect.h"

#include <atomic>
#include <cstring>
#include <initializer_list>
#include <new>

#include "host/aeffeditor.h"
#include "presets/factory_presets.h"

namespace zarpa {

namespace {

std::uint32_t readWord(const unsigned char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void writeWord(unsigned char* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, kNumParams) {
    programsAreChunks(true);
    programStore = new (std::nothrow) ProgramRecord[kNumPrograms]();
    chunkBuffer = new (std::nothrow) unsigned char[kChunkSize]();
    initFactoryPresets();
}

CPresetSystemEffect::~CPresetSystemEffect() {
    delete[] programStore;
    delete[] chunkBuffer;
    programStore = nullptr;
    chunkBuffer = nullptr;
}

// The value may be written by several threads at once (host automation, editor): one atomic store.
void CPresetSystemEffect::setParameter(VstInt32 index, float value) {
    if (programStore && index >= 0 && index < kNumParams)
        std::atomic_ref<float>(programStore[currentProgram].values[index]).store(value, std::memory_order_relaxed);
}

float CPresetSystemEffect::getParameter(VstInt32 index) {
    if (programStore && index >= 0 && index < kNumParams)
        return std::atomic_ref<float>(programStore[currentProgram].values[index]).load(std::memory_order_relaxed);
    return -1.0f;
}

PresetEditorLink* CPresetSystemEffect::editorLink() { return dynamic_cast<PresetEditorLink*>(editor); }

void CPresetSystemEffect::setProgramName(char* name) {
    if (!programStore || !name) return;
    const auto turn = editorTurn();
    setRecordName(programStore[currentProgram], name);
    if (PresetEditorLink* ed = editorLink()) {
        char truncated[kProgramNameSize + 1];
        copyRecordName(programStore[currentProgram], truncated);
        ed->programNameChanged(truncated);
    }
}

void CPresetSystemEffect::getProgramName(char* name) {
    if (!name) return;
    if (!programStore) {
        name[0] = 0;
        return;
    }
    const auto turn = editorTurn();
    copyRecordName(programStore[currentProgram], name);
}

bool CPresetSystemEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (!programStore || !text || index < 0 || index >= kNumPrograms) return false;
    const auto turn = editorTurn();
    copyRecordName(programStore[index], text);
    return true;
}

void CPresetSystemEffect::selectProgram(int index) {
    if (!programStore || index < 0 || index >= kNumPrograms) return;
    loadingProgram = true;
    curProgram = 0;
    currentProgram = index;
    for (int j = 0; j < kNumParams; ++j) setParameter(j, programStore[index].values[j]);
    updateDisplay();
    loadingProgram = false;
}

void CPresetSystemEffect::setCurrentProgramName(const char* name) {
    curProgram = 0;
    if (name && programStore) setRecordName(programStore[currentProgram], name);
    updateDisplay();
}

void CPresetSystemEffect::loadStartupDefaults() {
    if (PresetEditorLink* ed = editorLink()) ed->loadDefaults();
}

void CPresetSystemEffect::initFactoryPresets() {
    if (!programStore) return;
    for (int k = 0; k < kNumPrograms; ++k) {
        const FactoryPreset& preset = factoryPreset(k);
        setRecordName(programStore[k], preset.name);
        for (int j = 0; j < kNumParams; ++j) programStore[k].values[j] = preset.values[j];
    }
}

VstInt32 CPresetSystemEffect::getChunk(void** data, bool) {
    if (!chunkBuffer || !data) return 0;
    const auto turn = editorTurn();
    std::memset(chunkBuffer, 0, kChunkSize);
    writeWord(chunkBuffer + kChunkMarkerOffset, kChunkMarker);
    writeWord(chunkBuffer + kChunkIdOffset, static_cast<std::uint32_t>(getPresetId()));
    writeWord(chunkBuffer + kChunkCountOffset, kNumPrograms);
    writeWord(chunkBuffer + kChunkCurrentOffset, static_cast<std::uint32_t>(currentProgram.load()));
    if (programStore) std::memcpy(chunkBuffer + kChunkHeaderSize, programStore, sizeof(ProgramRecord) * kNumPrograms);
    *data = chunkBuffer;
    return kChunkSize;
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool) {
    if (!chunkBuffer || !programStore || !data || byteSize != kChunkSize) return -1;
    const auto turn = editorTurn();
    // The host may hand back the very block getChunk gave it; memmove copes with that.
    std::memmove(chunkBuffer, data, kChunkSize);

    const auto id = static_cast<std::uint32_t>(getPresetId());
    const std::uint32_t storedId = readWord(chunkBuffer + kChunkIdOffset);
    if (storedId != id) {
        if (storedId != byteSwapped(id)) return -1;
        for (int off : {kChunkMarkerOffset, kChunkCountOffset, kChunkCurrentOffset}) byteSwap32(chunkBuffer + off);
        for (int k = 0; k < kChunkReservedWords; ++k) byteSwap32(chunkBuffer + kChunkReservedOffset + 4 * k);
        for (int k = 0; k < kNumPrograms; ++k) {
            unsigned char* values = chunkBuffer + kChunkHeaderSize + k * sizeof(ProgramRecord) + kProgramNameSize;
            for (int j = 0; j < kNumParams; ++j) byteSwap32(values + 4 * j);
        }
    }
    if (readWord(chunkBuffer + kChunkMarkerOffset) != kChunkMarker) return 0;
    if (readWord(chunkBuffer + kChunkCountOffset) != static_cast<std::uint32_t>(kNumPrograms)) return -1;

    std::memcpy(programStore, chunkBuffer + kChunkHeaderSize, sizeof(ProgramRecord) * kNumPrograms);
    const auto current = static_cast<std::int32_t>(readWord(chunkBuffer + kChunkCurrentOffset));
    if (current >= 0 && current < kNumPrograms) selectProgram(current);
    return 0;
}

}  // namespace zarpa
