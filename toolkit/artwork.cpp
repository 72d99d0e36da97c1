// The artwork the toolkit was given.
#include "toolkit/artwork.h"

#include <atomic>

namespace toolkit {

namespace {
std::atomic<const Artwork*> current{nullptr};
}  // namespace

void setArtwork(const Artwork* artwork) { current.store(artwork, std::memory_order_release); }

const Artwork* artwork() { return current.load(std::memory_order_acquire); }

}  // namespace toolkit
