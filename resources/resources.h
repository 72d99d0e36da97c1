// The editor's bitmaps, drawn by our artwork generator at build time and compiled into the library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace resources {

// One bitmap resource: 24-bit pixels, 3 bytes per pixel in the order red, green, blue, rows from the
// top down, no row padding (pixel (x, y) starts at rgb[3 * (y * width + x)]). A multi-frame bitmap
// stacks its frames vertically, frame k starting at row k × frame height.
// The data is immutable and lives as long as the module; never free it.
struct ResourceBitmap {
    int id;
    int width;
    int height;
    const std::uint8_t* rgb;
};

// The bitmap with this resource id, or nullptr when the module holds none by that id (for example
// 157, which the info panel asks for and which deliberately does not exist). Thread-safe. In the DLL
// the first call decodes the module's bitmap resources (about 6 MB, once); later calls only look up.
const ResourceBitmap* findBitmap(int id);

// The editor scales, in percent, and the set of bitmaps drawn for each: the same ids, the pixels drawn
// at that resolution (a 33 × 19 key is 50 × 29 at 150 %: every logical size rounded up). A strip's
// frames lie ceil(frame height × scale) rows apart. In the DLL the larger sets are the resources at
// the 100 % id plus 1000 (150 %) and plus 2000 (200 %).
constexpr int kScalePercents[] = {100, 150, 200};
bool isEditorScale(int percent);
// nullptr for an unknown id or scale. The DLL decodes a set the first time one of its bitmaps is asked for.
const ResourceBitmap* findBitmap(int id, int scalePercent);
// How many frames the bitmap of this (100 %) id stacks vertically; 1 for a single image.
int bitmapFrames(int id);

// Every bitmap of the 100 % set, in ascending id order (for tests and tools). An index past the end
// gives an empty bitmap (id 0, no pixels).
std::size_t bitmapCount();
const ResourceBitmap& bitmapAt(std::size_t index);

}  // namespace resources
