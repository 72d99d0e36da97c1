// Parsing preset and bank records and editing the state chunk.
#include "cli/state_records.h"

#include <cstring>

#include "cli/cli_error.h"
#include "cli/file_access.h"

namespace zarpacli {

namespace {

constexpr std::size_t kValuesOffsetInRecord = zarpa::kProgramNameSize;  // values follow the name field

std::uint32_t nativeWord(const unsigned char* p) {
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

// Whether a record written with this identifier word is in the other byte order. Throws when the word
// is not the plug-in's identifier in either order.
bool isForeign(std::uint32_t idWord, std::int32_t pluginId, const std::string& path, const char* what) {
    const auto id = static_cast<std::uint32_t>(pluginId);
    if (idWord == zarpa::byteSwapped(id)) return true;
    if (idWord == id) return false;
    throw processingError(path + ": not an OKA Zarpa " + what + " (it belongs to another plug-in)");
}

// A program record (name field, then 26 values) from `p`, values brought to native order.
ProgramRecord programAt(const unsigned char* p, bool foreign) {
    ProgramRecord r;
    std::memcpy(r.name, p, sizeof r.name);
    std::memcpy(r.values, p + kValuesOffsetInRecord, sizeof r.values);
    if (foreign)
        for (float& v : r.values) zarpa::byteSwap32(&v);
    return r;
}

void checkRecordSize(const Bytes& data, std::size_t expected, const std::string& path, const char* what,
                     const char* other, std::size_t otherSize, const char* otherOption) {
    if (data.size() == expected) return;
    if (data.size() == otherSize)
        throw processingError(path + ": this is " + other + ", not " + what + "; use " + otherOption);
    throw processingError(path + ": " + what + " has " + std::to_string(expected) + " bytes, this file has " +
                          std::to_string(data.size()));
}

}  // namespace

Bytes readWholeFile(const std::string& path, std::size_t maxBytes) {
    FileDescriptor fd = openInputFile(path, maxBytes);
    Bytes data(maxBytes + 1);
    const std::size_t n = readFully(fd.get(), data.data(), data.size(), path);
    if (n > maxBytes) throw processingError(path + ": far too large for a preset, bank or state chunk file");
    data.resize(n);
    return data;
}

ProgramRecord parsePresetRecord(const Bytes& data, std::int32_t pluginId, const std::string& path) {
    checkRecordSize(data, kPresetRecordBytes, path, "a preset file", "a bank file", kBankRecordBytes, "--bank-file");
    bool foreign = isForeign(nativeWord(data.data()), pluginId, path, "preset");
    const unsigned char kind = data[zarpa::kRecordKindOffset];
    if (kind != kPresetKind) throw processingError(path + ": not a preset record (kind byte " + std::to_string(kind) + ")");
    return programAt(&data[zarpa::kRecordHeaderSize], foreign);
}

Bank parseBankRecord(const Bytes& data, std::int32_t pluginId, const std::string& path) {
    checkRecordSize(data, kBankRecordBytes, path, "a bank file", "a preset file", kPresetRecordBytes, "--preset-file");
    bool foreign = isForeign(nativeWord(data.data()), pluginId, path, "bank");
    const unsigned char kind = data[zarpa::kRecordKindOffset];
    if (kind != kBankKind) throw processingError(path + ": not a bank record (kind byte " + std::to_string(kind) + ")");
    Bank bank;
    for (int k = 0; k < zarpa::kNumPrograms; ++k) bank[k] = programAt(&data[zarpa::kRecordHeaderSize + sizeof(ProgramRecord) * k], foreign);
    return bank;
}

void checkChunkData(const Bytes& data, std::int32_t pluginId, const std::string& path) {
    if (data.size() != kStateChunkBytes)
        throw processingError(path + ": a state chunk has " + std::to_string(kStateChunkBytes) + " bytes, this file has " +
                              std::to_string(data.size()));
    const bool foreign = isForeign(nativeWord(&data[zarpa::kChunkIdOffset]), pluginId, path, "state chunk");
    auto word = [&](std::size_t offset) {
        std::uint32_t w = nativeWord(&data[offset]);
        return foreign ? zarpa::byteSwapped(w) : w;
    };
    if (word(zarpa::kChunkMarkerOffset) != kChunkMarker) throw processingError(path + ": unknown state chunk version");
    const std::uint32_t count = word(zarpa::kChunkCountOffset);
    if (count != static_cast<std::uint32_t>(zarpa::kNumPrograms))
        throw processingError(path + ": the state chunk holds " + std::to_string(count) + " programs, not 24");
}

StateChunk::StateChunk(Bytes bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() != kStateChunkBytes || word(zarpa::kChunkMarkerOffset) != kChunkMarker ||
        word(zarpa::kChunkCountOffset) != static_cast<std::uint32_t>(zarpa::kNumPrograms))
        throw processingError("the plug-in handed out a state chunk zarpa does not understand (" +
                              std::to_string(bytes_.size()) + " bytes)");
}

std::uint32_t StateChunk::word(std::size_t offset) const { return nativeWord(&bytes_[offset]); }

int StateChunk::currentProgram() const { return static_cast<std::int32_t>(word(zarpa::kChunkCurrentOffset)); }

void StateChunk::setCurrentProgram(int index) {
    const auto v = static_cast<std::int32_t>(index);
    std::memcpy(&bytes_[zarpa::kChunkCurrentOffset], &v, 4);
}

ProgramRecord StateChunk::program(int index) const {
    ProgramRecord r;
    std::memcpy(&r, &bytes_.at(kChunkHeaderBytes + sizeof(ProgramRecord) * index), sizeof r);
    return r;
}

void StateChunk::setProgram(int index, const ProgramRecord& record) {
    std::memcpy(&bytes_.at(kChunkHeaderBytes + sizeof(ProgramRecord) * index), &record, sizeof record);
}

}  // namespace zarpacli
