// The resource script names every bitmap of the three scales once, and its BMP files carry the pixels
// the lookups serve:
// on Linux the compiled-in table, on Windows the module's resources compiled from these files.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "bitmap_access.h"

namespace {

std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

// Compares a device-independent bitmap (info header, then bottom-up BGR rows padded to 4 bytes) with
// the embedded bitmap of the same id.
void expectSameDib(const std::uint8_t* info, std::size_t size, const resources::ResourceBitmap& expected) {
    ASSERT_GE(size, 40u);
    ASSERT_EQ(le32(info), 40u) << "info header size";
    ASSERT_EQ(int(le32(info + 4)), expected.width);
    ASSERT_EQ(int(le32(info + 8)), expected.height) << "positive height: rows bottom-up";
    ASSERT_EQ(le16(info + 14), 24) << "bits per pixel";
    ASSERT_EQ(le32(info + 16), 0u) << "uncompressed";
    const std::size_t row = (std::size_t(expected.width) * 3 + 3) & ~std::size_t(3);
    ASSERT_GE(size, 40 + row * std::size_t(expected.height));
    const std::uint8_t* pixels = info + 40;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const std::uint8_t* p = pixels + std::size_t(expected.height - 1 - y) * row + std::size_t(x) * 3;
            ASSERT_EQ((restest::Pixel{p[2], p[1], p[0]}), restest::pixelAt(expected, x, y))
                << "bitmap " << expected.id << " at " << x << ", " << y;
        }
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

TEST(ResourceFiles, ScriptNamesEveryBitmapOnceAndEachFileMatchesTheTable) {
    const std::vector<std::uint8_t> script = readFile(ZARPA_ARTWORK_DIR "/zarpa_resources.rc");
    ASSERT_FALSE(script.empty()) << "cannot read " << ZARPA_ARTWORK_DIR "/zarpa_resources.rc";
    std::istringstream lines(std::string(script.begin(), script.end()));
    std::string line;
    std::size_t named = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("//", 0) == 0 || line.empty()) continue;
        std::istringstream words(line);
        int id = 0;
        std::string kind, file;
        words >> id >> kind >> file;
        EXPECT_EQ(kind, "BITMAP");
        EXPECT_EQ(file, "\"bmp/" + std::to_string(id) + ".bmp\"");
        // The larger sets sit at the 100 % id plus 1000 (150 %) and 2000 (200 %).
        const int percent = resources::kScalePercents[id / 1000 < 3 ? id / 1000 : 0];
        const resources::ResourceBitmap* expected = resources::findBitmap(id % 1000, percent);
        ASSERT_NE(expected, nullptr) << "script names bitmap " << id << " that the table lacks";
        ++named;
        const std::vector<std::uint8_t> bmp = readFile(ZARPA_ARTWORK_DIR "/bmp/" + std::to_string(id) + ".bmp");
        ASSERT_GE(bmp.size(), 14u);
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(le32(bmp.data() + 2), bmp.size());
        EXPECT_EQ(le32(bmp.data() + 10), 54u);
        expectSameDib(bmp.data() + 14, bmp.size() - 14, *expected);
    }
    EXPECT_EQ(named, 3 * resources::bitmapCount()) << "every bitmap in each of the three sets";
}

}  // namespace
