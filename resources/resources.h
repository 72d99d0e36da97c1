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

// Every bitmap of the module, in ascending id order (for tests and tools). An index past the end
// gives an empty bitmap (id 0, no pixels).
std::size_t bitmapCount();
const ResourceBitmap& bitmapAt(std::size_t index);

}  // namespace resources
