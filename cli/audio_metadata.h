// What a master keeps of its source besides the audio: the tags (title, artist, album, ...), the
// broadcast extension of WAV files, and the WAV chunks that carry ISRC codes and other tags (ID3,
// iXML, axml), which libsndfile has no string field for.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zarpacli {

// The broadcast extension ("bext"), field by field. The loudness figures (version 2 and later) are
// hundredths of LUFS, LU or dBTP.
struct BroadcastExtension {
    std::string description, originator, originatorReference, originationDate, originationTime;
    std::uint64_t timeReference = 0;  // samples since midnight of the first sample
    int version = 0;
    std::array<unsigned char, 64> umid{};
    std::int16_t loudnessValue = 0, loudnessRange = 0, maxTruePeakLevel = 0, maxMomentaryLoudness = 0,
                 maxShortTermLoudness = 0;
    std::string codingHistory;
};

struct MetadataChunk {
    std::string id;  // four characters
    std::vector<unsigned char> data;
};

struct AudioMetadata {
    std::vector<std::pair<std::string, std::string>> tags;  // ("title", "..."), in a fixed order
    std::optional<BroadcastExtension> broadcast;
    std::vector<MetadataChunk> chunks;

    bool empty() const { return tags.empty() && !broadcast && chunks.empty(); }
    // What is there, for the report: "title", "artist", "broadcast extension", "id3 chunk".
    std::vector<std::string> names() const;
};

// The chunk ids kept from a WAV input to a WAV output.
inline constexpr const char* kKeptChunkIds[] = {"id3 ", "ID3 ", "iXML", "axml"};
bool isKeptChunkId(const std::string& id);
// How the report names a chunk: "id3 chunk".
std::string chunkName(const std::string& id);

// The loudness figures of a rendered file, written into a version 2 broadcast extension so that it
// describes the master rather than its source. Older versions have no such fields and stay as they are.
struct MeasuredLoudness {
    double integratedLufs, loudnessRangeLu, truePeakDb, maxMomentaryLufs, maxShortTermLufs;
};
void describeLoudness(BroadcastExtension& bext, const MeasuredLoudness& m);

// One line of the coding history (EBU R 98) for a render: "A=PCM,F=44100,W=24,M=stereo,T=...".
std::string codingHistoryLine(int sampleRate, int bits, int channels, const std::string& text);

}  // namespace zarpacli
