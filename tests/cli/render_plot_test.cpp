// The render plot: where its marks land on the picture, its text, and the PNG files that carry it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "cli/png_file.h"
#include "cli/render_plot.h"

#if !defined(_WIN32)
#include <png.h>
#endif

namespace zarpacli {
namespace {

// Two seconds at 48 kHz: a tone at -6 dBFS peak, limited by 6 dB in the second half (static gain 0 dB).
RenderTimeline limitedTone() {
    const int rate = 48000, frames = 2 * rate;
    std::vector<double> in(2 * frames), out(2 * frames);
    for (int i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2.0 * std::numbers::pi * 440.0 * i / rate);
        in[2 * i] = in[2 * i + 1] = v;
        out[2 * i] = out[2 * i + 1] = i < frames / 2 ? v : v / 2.0;
    }
    RenderTimeline t(2, rate, 0.0);
    t.addInput(in.data(), frames);
    t.addOutput(out.data(), frames);
    return t;
}

bool isReddish(Colour c) { return c.r > 150 && c.g < 90 && c.b < 100; }
bool isGreenish(Colour c) { return c.g > 100 && c.r < 60 && c.b < 110; }

// The rows of column x whose colour passes the test.
std::vector<int> rowsWhere(const PlotCanvas& canvas, int x, bool (*test)(Colour)) {
    std::vector<int> rows;
    for (int y = 0; y < canvas.height(); ++y)
        if (test(canvas.at(x, y))) rows.push_back(y);
    return rows;
}

TEST(RenderPlot, CeilingAndTargetAreLinesAtTheirLevelsAndReductionShowsWhereTheToneWasLimited) {
    const RenderTimeline t = limitedTone();
    const PlotCanvas with = drawRenderPlot(t, "in.wav -> out.wav", {-1.0, true, -14.0});
    const PlotCanvas without = drawRenderPlot(t, "in.wav -> out.wav", {});
    ASSERT_GE(with.width(), 1000);
    ASSERT_GE(with.height(), 500);

    // A column a quarter of the way in, in a gap of the dashes of both lines, and one three quarters in.
    const int early = 84 + (1176 - 84) / 4, late = 84 + 3 * (1176 - 84) / 4;
    auto redEarly = rowsWhere(with, early, isReddish), greenEarly = rowsWhere(with, early, isGreenish);
    EXPECT_TRUE(rowsWhere(without, early, isReddish).empty());
    EXPECT_TRUE(rowsWhere(without, early, isGreenish).empty());
    ASSERT_FALSE(greenEarly.empty());
    ASSERT_FALSE(redEarly.empty());
    // The level scale runs from +6 at row 58 to its bottom at row 420 in 6 dB steps; the target line sits
    // 13 dB below the ceiling line.
    const double rowsPerDb = (greenEarly.front() - redEarly.front()) / 13.0;
    EXPECT_GT(rowsPerDb, 3.0);
    EXPECT_NEAR(redEarly.front(), 58 + 7.0 * rowsPerDb, 3.0);

    // Gain reduction: none in the first second, 6.02 dB in the second, drawn down from the panel's top
    // (rows 446 to 580) on a scale rounded up to 9 dB.
    auto reductionRows = [&](int x) {
        int n = 0;
        for (int y = 447; y < 580; ++y) n += isReddish(without.at(x, y));
        return n;
    };
    EXPECT_EQ(reductionRows(early), 0);
    EXPECT_NEAR(reductionRows(late), (580 - 446) * 6.02 / 9.0, 3.0);
}

TEST(RenderPlot, TitleAndAxisLabelsAreWrittenInTheLabelFont) {
    const RenderTimeline t = limitedTone();
    const PlotCanvas a = drawRenderPlot(t, "first.wav -> out.wav", {});
    const PlotCanvas b = drawRenderPlot(t, "second.wav -> out.wav", {});
    int differing = 0, inked = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 400; ++x) {
            differing += a.at(x, y).r != b.at(x, y).r;
            inked += a.at(x, y).r < 128;
        }
    EXPECT_GT(differing, 20);  // the titles differ, so their pixels do
    EXPECT_GT(inked, 100);
    // The time labels under the reduction panel ("0.0 s" at the left end) leave ink below it.
    int timeInk = 0;
    for (int y = 588; y < 606; ++y)
        for (int x = 60; x < 110; ++x) timeInk += a.at(x, y).r < 128;
    EXPECT_GT(timeInk, 10);
}

#if !defined(_WIN32)
// Decodes a PNG held in memory with libpng into RGB rows.
std::vector<std::uint8_t> decode(const std::vector<std::uint8_t>& png, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return rgb;
}

TEST(PngFile, BothEncodersGiveTheSamePixelsBackThroughLibpng) {
    const PlotCanvas canvas = drawRenderPlot(limitedTone(), "round trip", {-1.0, false, std::nullopt});
    for (const auto& bytes : {encodePng(canvas.width(), canvas.height(), canvas.pixels()),
                              encodePngUncompressed(canvas.width(), canvas.height(), canvas.pixels())}) {
        int w = 0, h = 0;
        const auto rgb = decode(bytes, w, h);
        EXPECT_EQ(w, canvas.width());
        EXPECT_EQ(h, canvas.height());
        EXPECT_TRUE(rgb == canvas.pixels());
    }
    // Smaller than one stored block, and exactly one row over several blocks.
    for (int width : {3, 30000}) {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * 3);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7);
        int w = 0, h = 0;
        EXPECT_TRUE(decode(encodePngUncompressed(width, 1, pixels), w, h) == pixels) << width;
    }
}
#endif

}  // namespace
}  // namespace zarpacli
