// Program store, program selection and the 3104-byte state chunk.
#include "presets/preset_system_effect.h"

#include <atomic>
#include <cstring>
#include <initializer_list>
#include <new>

#include "editor/preset_bar/preset_system_editor.h"
#include "host/aeffeditor.h"
#include "presets/factory_presets.h"

namespace zarpa {

namespace {

// Offsets of the state chunk's header words.
constexpr int kOffMarker = 0, kOffId = 4, kOffCount = 8, kOffCurrent = 12, kOffReserved = 16, kOffPrograms = 32;

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

std::unique_lock<toolkit::UiLock> CPresetSystemEffect::editorTurn() {
    auto* ed = static_cast<CPresetSystemEditor*>(editor);
    if (!ed) return {};
    return std::unique_lock<toolkit::UiLock>(*ed->getUiLock());
}

void CPresetSystemEffect::setProgramName(char* name) {
    if (!programStore || !name) return;
    const auto turn = editorTurn();
    setRecordName(programStore[currentProgram], name);
    if (auto* ed = static_cast<CPresetSystemEditor*>(editor)) {
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
    if (auto* ed = static_cast<CPresetSystemEditor*>(editor)) ed->loadDefaults();
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
    writeWord(chunkBuffer + kOffMarker, kChunkMarker);
    writeWord(chunkBuffer + kOffId, static_cast<std::uint32_t>(getPresetId()));
    writeWord(chunkBuffer + kOffCount, kNumPrograms);
    writeWord(chunkBuffer + kOffCurrent, static_cast<std::uint32_t>(currentProgram.load()));
    if (programStore) std::memcpy(chunkBuffer + kOffPrograms, programStore, sizeof(ProgramRecord) * kNumPrograms);
    *data = chunkBuffer;
    return kChunkSize;
}

VstInt32 CPresetSystemEffect::setChunk(void* data, VstInt32 byteSize, bool) {
    if (!chunkBuffer || !programStore || !data || byteSize != kChunkSize) return -1;
    const auto turn = editorTurn();
    // The host may hand back the very block getChunk gave it; memmove copes with that.
    std::memmove(chunkBuffer, data, kChunkSize);

    const auto id = static_cast<std::uint32_t>(getPresetId());
    const std::uint32_t storedId = readWord(chunkBuffer + kOffId);
    if (storedId != id) {
        if (storedId != byteSwapped(id)) return -1;
        for (int off : {kOffMarker, kOffCount, kOffCurrent, kOffReserved, kOffReserved + 4, kOffReserved + 8,
                        kOffReserved + 12})
            byteSwap32(chunkBuffer + off);
        for (int k = 0; k < kNumPrograms; ++k) {
            unsigned char* values = chunkBuffer + kOffPrograms + k * sizeof(ProgramRecord) + kProgramNameSize;
            for (int j = 0; j < kNumParams; ++j) byteSwap32(values + 4 * j);
        }
    }
    if (readWord(chunkBuffer + kOffMarker) != kChunkMarker) return 0;
    if (readWord(chunkBuffer + kOffCount) != static_cast<std::uint32_t>(kNumPrograms)) return -1;

    std::memcpy(programStore, chunkBuffer + kOffPrograms, sizeof(ProgramRecord) * kNumPrograms);
    const auto current = static_cast<std::int32_t>(readWord(chunkBuffer + kOffCurrent));
    if (current >= 0 && current < kNumPrograms) selectProgram(current);
    return 0;
}

}  // namespace zarpa
