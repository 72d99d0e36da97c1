// The artwork generator: draws every bitmap of the editor and rasterises the predefined font, then
// writes the embedded tables, the BMP files and resource script of the DLL, and optional PNG previews.
//   zarpa_artgen --fonts <directory of Liberation fonts> --out <directory> [--png <directory>]
//                [--preview <file.png>] [--scale 1|1.5|2]
// Every run draws the 100 %, 150 % and 200 % sets; --scale picks the one the PNGs and the preview show.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "artwork.h"
#include "preview.h"
#include "writers.h"

namespace {

constexpr int kPredefinedFontSize = 10;
// The text of the renderer's pictures (zarpa --plot): large enough to read on a 1200-pixel-wide plot.
constexpr int kLabelFontSize = 14;

int usage() {
    std::fprintf(stderr, "usage: zarpa_artgen --fonts DIR --out DIR [--png DIR] [--preview FILE] [--scale 1|1.5|2]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string fontDir, outDir, pngDir, previewFile;
    double scale = 1.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--fonts") fontDir = argv[i + 1];
        else if (key == "--out") outDir = argv[i + 1];
        else if (key == "--png") pngDir = argv[i + 1];
        else if (key == "--preview") previewFile = argv[i + 1];
        else if (key == "--scale") scale = std::atof(argv[i + 1]);
        else return usage();
    }
    if (fontDir.empty() || outDir.empty() || argc % 2 == 0) return usage();
    if (scale != 1.0 && scale != 1.5 && scale != 2.0) return usage();

    try {
        namespace fs = std::filesystem;
        const artgen::Fonts fonts(fontDir);
        const artgen::BitmapSet bitmaps = artgen::drawAllBitmaps(fonts);
        const auto drawnAt = [&fonts](double scale) {
            artgen::ScaleScope drawing(scale);
            return artgen::drawAllBitmaps(fonts);
        };
        const artgen::BitmapSet set150 = drawnAt(1.5), set200 = drawnAt(2.0);

        // The DLL's resources: every set as BMP files, the larger ones at their offset ids.
        fs::create_directories(fs::path(outDir) / "bmp");
        std::vector<int> ids;
        const auto writeBmps = [&](const artgen::BitmapSet& set, int idOffset) {
            for (const auto& [id, img] : set) {
                ids.push_back(id + idOffset);
                artgen::writeBmp((fs::path(outDir) / "bmp" / (std::to_string(id + idOffset) + ".bmp")).string(), img);
            }
        };
        writeBmps(bitmaps, 0);
        writeBmps(set150, artgen::kScaledIdOffset150);
        writeBmps(set200, artgen::kScaledIdOffset200);
        artgen::writeResourceScript((fs::path(outDir) / "zarpa_resources.rc").string(), ids, "bmp");
        artgen::writeBitmapTableSource((fs::path(outDir) / "bitmap_table.cpp").string(), bitmaps);
        artgen::writeFrameTableSource((fs::path(outDir) / "bitmap_frames.cpp").string(), bitmaps);
        artgen::writeScaledBitmapSource(fs::absolute(outDir).string(), set150, set200);
        // The predefined font, and the same face at 150 % and 200 % of its size for the larger editor.
        artgen::writeFontTableSource((fs::path(outDir) / "sans_font.cpp").string(), fonts.regular, kPredefinedFontSize,
                                     "kSansFont", "Arial");
        artgen::writeFontTableSource((fs::path(outDir) / "sans_font_150.cpp").string(), fonts.regular,
                                     kPredefinedFontSize * 3 / 2, "kSansFont150", "Arial");
        artgen::writeFontTableSource((fs::path(outDir) / "sans_font_200.cpp").string(), fonts.regular,
                                     kPredefinedFontSize * 2, "kSansFont200", "Arial");
        artgen::writeFontTableSource((fs::path(outDir) / "label_font.cpp").string(), fonts.regular, kLabelFontSize,
                                     "kLabelFont", "Liberation Sans");

        // The set to look at.
        const artgen::BitmapSet& shown = scale == 1.5 ? set150 : scale == 2.0 ? set200 : bitmaps;
        if (!pngDir.empty()) {
            fs::create_directories(pngDir);
            for (const auto& [id, img] : shown)
                artgen::writePng((fs::path(pngDir) / (std::to_string(id) + ".png")).string(), img);
        }
        if (!previewFile.empty()) artgen::writePng(previewFile, artgen::composePreview(shown));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarpa_artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
