// In the DLL the bitmaps live once, as the module's 24-bit bitmap resources; they are decoded into
// the table's format (red, green, blue, rows from the top) the first time anyone asks for one.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "resources/bitmap_table.h"

namespace resources::detail {

namespace {

struct DecodedBitmaps {
    std::vector<ResourceBitmap> table;
    std::vector<std::vector<std::uint8_t>> pixels;
};

std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }

// A bitmap resource is a BITMAPINFOHEADER followed by the pixels: bottom-up unless the height is
// negative, blue-green-red, rows padded to four bytes. Anything else is skipped.
bool decode(const std::uint8_t* data, std::size_t size, int id, DecodedBitmaps& out) {
    if (!data || size < 40 || le32(data) < 40) return false;
    const std::int32_t width = std::int32_t(le32(data + 4));
    const std::int32_t rawHeight = std::int32_t(le32(data + 8));
    const unsigned bits = unsigned(data[14] | (data[15] << 8));
    const std::uint32_t compression = le32(data + 16);
    if (width <= 0 || width > 65536 || rawHeight == 0 || rawHeight < -65536 || rawHeight > 65536 || bits != 24 ||
        compression != 0 /* BI_RGB */)
        return false;
    const bool bottomUp = rawHeight > 0;
    const std::size_t height = std::size_t(bottomUp ? rawHeight : -rawHeight);
    const std::size_t rowBytes = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    const std::size_t headerBytes = le32(data);
    if (size < headerBytes || (size - headerBytes) / rowBytes < height) return false;

    std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* src = data + headerBytes + (bottomUp ? height - 1 - y : y) * rowBytes;
        std::uint8_t* dst = rgb.data() + y * std::size_t(width) * 3;
        for (std::int32_t x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    out.pixels.push_back(std::move(rgb));
    out.table.push_back({id, width, int(height), nullptr});
    return true;
}

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

BOOL CALLBACK collectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<int>*>(ids)->push_back(int(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// The resources of one set: ids from idOffset up to idOffset + 999.
DecodedBitmaps decodeModuleBitmaps(int idOffset) {
    DecodedBitmaps out;
    const HMODULE module = thisModule();
    std::vector<int> ids;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(2) /* RT_BITMAP */, collectId, reinterpret_cast<LONG_PTR>(&ids));
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (int id : ids) {
        if (id < idOffset || id >= idOffset + 1000) continue;
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));
        const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        if (loaded) decode(static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(module, found), id, out);
    }
    // The pixel buffers no longer move: point the table at them.
    for (std::size_t i = 0; i < out.table.size(); ++i) out.table[i].rgb = out.pixels[i].data();
    return out;
}

}  // namespace

// Each set decoded once, when first asked for (thread-safe): a host that never opens the editor
// larger than 100 % never holds the larger sets in memory.
std::span<const ResourceBitmap> bitmapTable(int scalePercent) {
    if (scalePercent == 150) {
        static const DecodedBitmaps decoded = decodeModuleBitmaps(scaledIdOffset(150));
        return decoded.table;
    }
    if (scalePercent == 200) {
        static const DecodedBitmaps decoded = decodeModuleBitmaps(scaledIdOffset(200));
        return decoded.table;
    }
    static const DecodedBitmaps decoded = decodeModuleBitmaps(0);
    return decoded.table;
}

}  // namespace resources::detail
