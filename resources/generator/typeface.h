// Text for the artwork: Liberation Sans glyphs rasterised with FreeType and painted onto a canvas.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "canvas.h"

namespace artgen {

enum class Align { Left, Centre, Right };

// One rasterised glyph: coverage 0..255, rows from the top; the bitmap's top-left pixel lies at
// (pen + left, baseline - top).
struct RasterGlyph {
    int left = 0, top = 0, width = 0, height = 0, advance = 0;
    std::vector<std::uint8_t> coverage;
};

class Typeface {
public:
    explicit Typeface(const std::string& fontFile);  // throws std::runtime_error when unreadable
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    RasterGlyph render(char32_t code, int sizePx) const;
    RasterGlyph renderScaled(char32_t code, double devicePx) const;
    // Line metrics at a pixel size, rounded to whole pixels.
    int ascent(int sizePx) const;
    int descent(int sizePx) const;
    int lineHeight(int sizePx) const;

    // Width of a text in (logical) pixels: the sum of the advances plus tracking between letters.
    int measure(std::string_view text, int sizePx, int tracking = 0) const;
    // Paints a text with its baseline at y; x is the left end, the centre or the right end by align. The
    // glyphs are rasterised at the image's scale (a 9 px text is 13.5 device pixels high at 150 %).
    void draw(Image& img, double x, int baseline, std::string_view text, int sizePx, Rgb colour,
              Align align = Align::Left, int tracking = 0) const;

private:
    void setSize(double devicePx) const;
    int deviceMeasure(std::string_view text, double devicePx, int deviceTracking) const;
    struct Impl;
    Impl* impl_;
};

}  // namespace artgen
