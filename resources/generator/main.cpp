// The artwork generator: draws every bitmap of the editor and rasterises the predefined font, then
// writes the embedded tables, the BMP files and resource script of the DLL, and optional PNG previews.
//   zarpa_artgen --fonts <directory of Liberation fonts> --out <directory> [--png <directory>]
//                [--preview <file.png>]
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "artwork.h"
#include "preview.h"
#include "writers.h"

namespace {

constexpr int kPredefinedFontSize = 10;
// The text of the renderer's pictures (zarpa --plot): large enough to read on a 1200-pixel-wide plot.
constexpr int kLabelFontSize = 14;

int usage() {
    std::fprintf(stderr, "usage: zarpa_artgen --fonts DIR --out DIR [--png DIR] [--preview FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string fontDir, outDir, pngDir, previewFile;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--fonts") fontDir = argv[i + 1];
        else if (key == "--out") outDir = argv[i + 1];
        else if (key == "--png") pngDir = argv[i + 1];
        else if (key == "--preview") previewFile = argv[i + 1];
        else return usage();
    }
    if (fontDir.empty() || outDir.empty() || argc % 2 == 0) return usage();

    try {
        namespace fs = std::filesystem;
        const artgen::Fonts fonts(fontDir);
        const artgen::BitmapSet bitmaps = artgen::drawAllBitmaps(fonts);

        fs::create_directories(fs::path(outDir) / "bmp");
        for (const auto& [id, img] : bitmaps)
            artgen::writeBmp((fs::path(outDir) / "bmp" / (std::to_string(id) + ".bmp")).string(), img);
        artgen::writeResourceScript((fs::path(outDir) / "zarpa_resources.rc").string(), bitmaps, "bmp");
        artgen::writeBitmapTableSource((fs::path(outDir) / "bitmap_table.cpp").string(), bitmaps);
        artgen::writeFontTableSource((fs::path(outDir) / "sans_font.cpp").string(), fonts.regular, kPredefinedFontSize,
                                     "kSansFont", "Arial");
        artgen::writeFontTableSource((fs::path(outDir) / "label_font.cpp").string(), fonts.regular, kLabelFontSize,
                                     "kLabelFont", "Liberation Sans");

        if (!pngDir.empty()) {
            fs::create_directories(pngDir);
            for (const auto& [id, img] : bitmaps)
                artgen::writePng((fs::path(pngDir) / (std::to_string(id) + ".png")).string(), img);
        }
        if (!previewFile.empty()) artgen::writePng(previewFile, artgen::composePreview(bitmaps));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarpa_artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
