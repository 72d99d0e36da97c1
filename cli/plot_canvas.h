// An RGB picture to draw the render's plot on: filled rectangles, lines of any slope with a width, and
// text in the label font (build-time rasterised glyphs, blended by their coverage).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace graphics {
struct GlyphFont;
}

namespace zarpacli {

struct Colour {
    std::uint8_t r, g, b;
};

enum class TextAlign { Left, Centre, Right };

class PlotCanvas {
public:
    PlotCanvas(int width, int height, Colour background);
    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }  // RGB, rows from the top
    Colour at(int x, int y) const;

    // Blends `c` over the pixel with the weight alpha (0..1); outside the picture nothing happens.
    void blend(int x, int y, Colour c, double alpha);
    void fillRect(int x0, int y0, int x1, int y1, Colour c, double alpha = 1.0);  // [x0, x1) x [y0, y1)
    // A line from (x0, y0) to (x1, y1), `width` pixels wide, drawn in steps of a quarter pixel; with
    // dash > 0 it is drawn `dash` pixels on and `dash` off.
    void line(double x0, double y0, double x1, double y1, Colour c, double width = 1.0, int dash = 0);

    // Text with its baseline at y; x is its left end, centre or right end. Returns the text's width.
    int text(int x, int y, const std::string& text, Colour c, TextAlign align = TextAlign::Left);
    // Text turned a quarter anticlockwise (reading upwards), centred on (x, y), for a vertical axis.
    void verticalText(int x, int y, const std::string& text, Colour c);
    int textWidth(const std::string& text) const;
    int ascent() const;
    int lineHeight() const;

private:
    int width_, height_;
    std::vector<std::uint8_t> pixels_;
    const graphics::GlyphFont& font_;
};

}  // namespace zarpacli
