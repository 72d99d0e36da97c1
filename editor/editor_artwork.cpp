// The artwork lookups of resources/ behind the toolkit's artwork interface.
#include "editor/editor_artwork.h"

#include "resources/font.h"
#include "resources/resources.h"
#include "toolkit/artwork.h"

namespace zarpa {

namespace {

class ResourceArtwork final : public toolkit::Artwork {
public:
    toolkit::RgbImage image(int id, int scalePercent) const override {
        const resources::ResourceBitmap* bitmap = resources::findBitmap(id, scalePercent);
        return bitmap ? toolkit::RgbImage{bitmap->width, bitmap->height, bitmap->rgb} : toolkit::RgbImage{};
    }
    int imageFrames(int id) const override { return resources::bitmapFrames(id); }
    const graphics::GlyphFont& predefinedFont(int scalePercent) const override {
        return resources::predefinedSansFont(scalePercent);
    }
};

}  // namespace

void installEditorArtwork() {
    static const ResourceArtwork artwork;
    toolkit::setArtwork(&artwork);
}

}  // namespace zarpa
