// The plug-in's state chunk and its preset (.oka) and bank (.okb) files, as bytes. The renderer loads a
// file by building a state chunk from it and handing that to the plug-in, so it never reaches past the
// plug-in's interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "records/record_layout.h"

namespace zarpacli {

using Bytes = std::vector<unsigned char>;
using zarpa::ProgramRecord;
using Bank = std::array<ProgramRecord, zarpa::kNumPrograms>;

// The layout's sizes as byte counts of the renderer's buffers.
constexpr std::size_t kStateChunkBytes = zarpa::kChunkSize;
constexpr std::size_t kChunkHeaderBytes = zarpa::kChunkHeaderSize;
constexpr std::size_t kPresetRecordBytes = zarpa::kPresetRecordSize;
constexpr std::size_t kBankRecordBytes = zarpa::kBankRecordSize;
using zarpa::kBankKind;
using zarpa::kChunkMarker;
using zarpa::kPresetKind;

// The whole file, or a processing CliError naming the path and the reason. Files larger than
// maxBytes are refused without being read.
Bytes readWholeFile(const std::string& path, std::size_t maxBytes);

// Records of either byte order (the identifier tells), values returned in native order. Throw a
// processing CliError that says what is wrong with the file.
ProgramRecord parsePresetRecord(const Bytes& data, std::int32_t pluginId, const std::string& path);
Bank parseBankRecord(const Bytes& data, std::int32_t pluginId, const std::string& path);

// Checks a state chunk file before it goes to the plug-in: size, identifier (either order), marker
// and program count.
void checkChunkData(const Bytes& data, std::int32_t pluginId, const std::string& path);

// A state chunk in the byte order of this machine, as the plug-in hands it out.
class StateChunk {
public:
    explicit StateChunk(Bytes bytes);  // throws a processing CliError unless it is a native chunk
    int currentProgram() const;
    void setCurrentProgram(int index);
    ProgramRecord program(int index) const;
    void setProgram(int index, const ProgramRecord& record);
    const Bytes& bytes() const { return bytes_; }

private:
    std::uint32_t word(std::size_t offset) const;
    Bytes bytes_;
};

}  // namespace zarpacli
