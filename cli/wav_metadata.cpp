// Parsing and writing INFO lists and broadcast extensions, byte by byte in little-endian order.
#include "cli/wav_metadata.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zarpacli {

namespace {

// INFO ids and the names zarpa reports tags by (IPRT is the older spelling of the track number).
const std::pair<const char*, const char*> kInfoFields[] = {
    {"INAM", "title"}, {"IART", "artist"},    {"IPRD", "album"},     {"ITRK", "track"}, {"ICRD", "date"},
    {"ICMT", "comment"}, {"IGNR", "genre"}, {"ICOP", "copyright"}, {"IPRT", "track"},
};

// The broadcast extension's fixed part: description 256, originator 32, reference 32, date 10, time 8,
// time reference 8, version 2, UMID 64, five loudness figures 10, reserved 180.
constexpr std::size_t kBextFixed = 602;

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void put(std::vector<unsigned char>& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

std::string text(const unsigned char* p, std::size_t size) {
    const char* c = reinterpret_cast<const char*>(p);
    return std::string(c, strnlen(c, size));
}

void putText(std::vector<unsigned char>& out, const std::string& s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) out.push_back(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
}

void putChunk(std::vector<unsigned char>& out, const std::string& id, const std::vector<unsigned char>& body) {
    out.insert(out.end(), id.begin(), id.begin() + 4);
    put(out, body.size(), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
}

void readInfo(const std::vector<unsigned char>& data, AudioMetadata& m) {
    for (std::size_t pos = 4; pos + 8 <= data.size();) {
        const std::string id(reinterpret_cast<const char*>(&data[pos]), 4);
        const std::size_t size = std::min<std::size_t>(le32(&data[pos + 4]), data.size() - pos - 8);
        const std::string value = text(&data[pos + 8], size);
        for (const auto& [field, name] : kInfoFields) {
            auto sameName = [&](const auto& tag) { return tag.first == name; };
            if (id == field && !value.empty() && std::none_of(m.tags.begin(), m.tags.end(), sameName))
                m.tags.emplace_back(name, value);
        }
        pos += 8 + size + (size & 1);
    }
}

BroadcastExtension readBext(const std::vector<unsigned char>& d) {
    BroadcastExtension b;
    const unsigned char* p = d.data();
    b.description = text(p, 256);
    b.originator = text(p + 256, 32);
    b.originatorReference = text(p + 288, 32);
    b.originationDate = text(p + 320, 10);
    b.originationTime = text(p + 330, 8);
    b.timeReference = std::uint64_t(le32(p + 338)) | std::uint64_t(le32(p + 342)) << 32;
    b.version = le16(p + 346);
    std::memcpy(b.umid.data(), p + 348, 64);
    b.loudnessValue = static_cast<std::int16_t>(le16(p + 412));
    b.loudnessRange = static_cast<std::int16_t>(le16(p + 414));
    b.maxTruePeakLevel = static_cast<std::int16_t>(le16(p + 416));
    b.maxMomentaryLoudness = static_cast<std::int16_t>(le16(p + 418));
    b.maxShortTermLoudness = static_cast<std::int16_t>(le16(p + 420));
    b.codingHistory = text(p + kBextFixed, d.size() - kBextFixed);
    return b;
}

std::vector<unsigned char> bextBody(const BroadcastExtension& b) {
    std::vector<unsigned char> out;
    putText(out, b.description, 256);
    putText(out, b.originator, 32);
    putText(out, b.originatorReference, 32);
    putText(out, b.originationDate, 10);
    putText(out, b.originationTime, 8);
    put(out, b.timeReference, 8);
    put(out, static_cast<std::uint16_t>(b.version), 2);
    out.insert(out.end(), b.umid.begin(), b.umid.end());
    for (std::int16_t v : {b.loudnessValue, b.loudnessRange, b.maxTruePeakLevel, b.maxMomentaryLoudness,
                           b.maxShortTermLoudness})
        put(out, static_cast<std::uint16_t>(v), 2);
    out.resize(kBextFixed, 0);
    out.insert(out.end(), b.codingHistory.begin(), b.codingHistory.end());
    return out;
}

}  // namespace

bool wavHoldsTag(const std::string& name) {
    return std::any_of(std::begin(kInfoFields), std::end(kInfoFields), [&](const auto& f) { return name == f.second; });
}

void readWavMetadataChunk(const std::string& id, const std::vector<unsigned char>& data, AudioMetadata& m) {
    if (id == "LIST" && data.size() >= 4 && std::memcmp(data.data(), "INFO", 4) == 0) readInfo(data, m);
    else if (id == "bext" && data.size() >= kBextFixed && !m.broadcast) m.broadcast = readBext(data);
    else if (isKeptChunkId(id)) m.chunks.push_back({id, data});
}

std::vector<unsigned char> wavMetadataChunks(const AudioMetadata& m) {
    std::vector<unsigned char> out;
    if (m.broadcast) putChunk(out, "bext", bextBody(*m.broadcast));
    std::vector<unsigned char> info = {'I', 'N', 'F', 'O'};
    for (const auto& [name, value] : m.tags) {
        const auto field = std::find_if(std::begin(kInfoFields), std::end(kInfoFields),
                                        [&](const auto& f) { return name == f.second; });
        if (field == std::end(kInfoFields)) continue;
        std::vector<unsigned char> body(value.begin(), value.end());
        body.push_back(0);  // INFO texts end with a zero byte
        putChunk(info, field->first, body);
    }
    if (info.size() > 4) putChunk(out, "LIST", info);
    for (const MetadataChunk& c : m.chunks) putChunk(out, c.id, c.data);
    return out;
}

}  // namespace zarpacli
