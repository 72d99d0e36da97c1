// The text face of the renderer's pictures: Liberation Sans at 14 pixels, rasterised at build time by
// the artwork generator (the same glyph tables as the editor's predefined font, in a larger size).
#pragma once

#include "resources/font.h"

namespace zarpacli {

const graphics::GlyphFont& labelFont();

}  // namespace zarpacli
