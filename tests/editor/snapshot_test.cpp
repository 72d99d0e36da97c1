// The headless snapshot of the whole window: size, determinism, and the pixels that show the meters
// watched the signal and the info panel opened.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "engine/parameters.h"
#include "layout/window_layout.h"
#include "resources/resources.h"
#include "tools/snapshot/editor_snapshot.h"
#include "tools/snapshot/png_writer.h"

namespace zarpa::snapshot {
namespace {

std::uint32_t bitmapPixel(int id, int x, int y) {
    const resources::ResourceBitmap* b = resources::findBitmap(id);
    const std::uint8_t* p = b->rgb + 3 * (y * b->width + x);
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

Image renderOrFail(const Options& options) {
    Image image;
    std::string error;
    EXPECT_TRUE(render(options, image, error)) << error;
    return image;
}

TEST(Snapshot, IsTheWholeWindowAndTheSameOnEveryRun) {
    Options options;
    options.signal = Signal::Noise;
    options.seconds = 0.4;
    const Image first = renderOrFail(options);
    EXPECT_EQ(first.width, 524);
    EXPECT_EQ(first.height, 462);
    EXPECT_EQ(first.pixel(2, 2), bitmapPixel(128, 2, 2));  // the panel where no control lies
    EXPECT_EQ(renderOrFail(options).rgb, first.rgb);
}

// At 150 % and 200 % the window is drawn from the set the generator drew for the size: the panel, a key
// in its current frame and a knob frame appear pixel for pixel where the editor places them.
TEST(Snapshot, AtEachLargerSizeTheWindowShowsTheGeneratorsBitmapsForThatSize) {
    for (const int percent : {150, 200}) {
        Options options;
        options.scalePercent = percent;
        options.parameters = {{kBits, 0.5f}, {kPower, 0.75f}};
        const Image image = renderOrFail(options);
        const auto device = [percent](int v) { return v * percent / 100; };
        ASSERT_EQ(image.width, device(524));
        ASSERT_EQ(image.height, device(462));
        const auto scaledPixel = [percent](int id, int x, int y) {
            const resources::ResourceBitmap* b = resources::findBitmap(id, percent);
            const std::uint8_t* p = b->rgb + 3 * (std::size_t(y) * std::size_t(b->width) + std::size_t(x));
            return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        };
        for (int y = 0; y < device(36); y += 3)  // the header and the labels above every control
            for (int x = 0; x < device(524); x += 7)
                ASSERT_EQ(image.pixel(x, y), scaledPixel(128, x, y)) << "panel at " << x << ", " << y << ", " << percent;
        // Bits shows frame 1 (16 bits, requantizer off); Power frame 1 (on).
        const auto expectFrame = [&](const window::Control& c, int frame) {
            const int stride = (c.rect.height() * percent + 99) / 100;
            for (int y = 0; y < device(c.rect.bottom) - device(c.rect.top); ++y)
                for (int x = 0; x < device(c.rect.right) - device(c.rect.left); ++x)
                    ASSERT_EQ(image.pixel(device(c.rect.left) + x, device(c.rect.top) + y),
                              scaledPixel(c.bitmap, x, frame * stride + y))
                        << "bitmap " << c.bitmap << " at " << x << ", " << y << ", " << percent;
        };
        expectFrame(window::control(window::ControlKind::Bits), 1);
        expectFrame(window::control(window::ControlKind::ToggleButton, kPower), 1);
    }
}

TEST(Snapshot, MetersShowTheSignalThatRanThroughTheEffect) {
    Options options;
    options.signal = Signal::Sine;
    options.levelDb = 0.0;
    options.parameters = {{kDrive, 0.5f}, {kMeterType, 0.25f}};  // 0 dB drive, peak metering
    const Image image = renderOrFail(options);
    // A full-scale sine lights the input bar up to 0 dBFS, y 114 (strips show source row y + 6).
    EXPECT_EQ(image.pixel(152, 120), bitmapPixel(130, 2, 126));
    EXPECT_EQ(image.pixel(152, 100), bitmapPixel(155, 2, 106));
    const Image silent = renderOrFail(Options{});
    EXPECT_EQ(silent.pixel(152, 120), bitmapPixel(155, 2, 126));
}

TEST(Snapshot, ARedBoxMarksAnInputPeakAboveFullScale) {
    Options options;
    options.signal = Signal::Sine;
    options.levelDb = 3.0;
    const Image image = renderOrFail(options);
    EXPECT_EQ(image.pixel(132, 416), 0xE53505u);  // the input readout's left box
    EXPECT_EQ(image.pixel(304, 416), 0x4F4F4Fu);  // the output never exceeds full scale
}

TEST(Snapshot, TheInfoPanelCanBeShownOpen) {
    Options options;
    options.infoPanel = true;
    EXPECT_EQ(renderOrFail(options).pixel(430, 380), 0xD5ECF6u);
}

TEST(Snapshot, UnknownPresetNamesAreRefusedAndKnownOnesInAnyCaseAccepted) {
    Options options;
    Image image;
    std::string error;
    options.preset = "no such preset";
    EXPECT_FALSE(render(options, image, error));
    EXPECT_NE(error.find("no such preset"), std::string::npos);
    options.preset = "DEFAULT";
    EXPECT_TRUE(render(options, image, error)) << error;
}

TEST(Snapshot, WritesAReadablePng) {
    const Image image = renderOrFail(Options{});
    const auto path = std::filesystem::temp_directory_path() / "zarpa-snapshot-test.png";
    std::string error;
    ASSERT_TRUE(writePng(path.string(), image, error)) << error;
    unsigned char signature[8] = {};
    FILE* file = std::fopen(path.string().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
    std::filesystem::remove(path);
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[2], 'N');
    EXPECT_FALSE(writePng("/nonexistent-dir/x.png", image, error));
}

}  // namespace
}  // namespace zarpa::snapshot
