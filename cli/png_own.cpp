// PNG encoding in builds without libpng: our own uncompressed encoder.
#include "cli/png_file.h"

namespace zarpacli {

std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
    return encodePngUncompressed(width, height, rgb);
}

}  // namespace zarpacli
