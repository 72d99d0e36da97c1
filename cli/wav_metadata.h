// The metadata chunks of RIFF/WAVE files as our own WAV code reads and writes them: the LIST/INFO tags
// (INAM title, IART artist, IPRD album, ITRK track, ICRD date, ICMT comment, IGNR genre, ICOP
// copyright, the fields libsndfile uses), the broadcast extension ("bext") and the chunks kept whole.
#pragma once

#include <string>
#include <vector>

#include "cli/audio_metadata.h"

namespace zarpacli {

// Adds what a chunk holds to `metadata`; chunks of other kinds are ignored. `data` excludes the
// chunk's eight-byte head.
void readWavMetadataChunk(const std::string& id, const std::vector<unsigned char>& data, AudioMetadata& metadata);

// Whether an INFO list has a field for a tag of this name.
bool wavHoldsTag(const std::string& name);

// The chunks (heads, bodies and pad bytes) that carry `metadata`: bext, LIST/INFO, then the kept ones.
std::vector<unsigned char> wavMetadataChunks(const AudioMetadata& metadata);

}  // namespace zarpacli
