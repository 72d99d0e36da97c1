// The generated glyph table of the label font.
#include "cli/label_font.h"

namespace resources::detail {
extern const GlyphFont kLabelFont;  // generated: <build>/resources/artwork/label_font.cpp
}

namespace zarpacli {

const graphics::GlyphFont& labelFont() { return resources::detail::kLabelFont; }

}  // namespace zarpacli
