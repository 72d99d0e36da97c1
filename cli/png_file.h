// PNG pictures: libpng where the build has it (Linux), our own uncompressed encoder otherwise (the
// Windows build, where Debian has no libpng for the cross compiler).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarpacli {

// An 8-bit RGB picture, rows from the top, as the bytes of a PNG file.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgb);
// The same with stored (uncompressed) deflate blocks: valid PNG without a compression library.
std::vector<std::uint8_t> encodePngUncompressed(int width, int height, const std::vector<std::uint8_t>& rgb);

// Writes the picture atomically (an existing file only with `replace`); throws a CliError.
void writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb, bool replace);

}  // namespace zarpacli
