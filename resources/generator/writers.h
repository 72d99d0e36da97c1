// Output formats of the generator: BMP files and a resource script for the DLL, C++ sources for the
// embedded tables, PNG files to look at.
#pragma once

#include <string>
#include <vector>

#include "style.h"

namespace artgen {

// A 24-bit bottom-up BMP, rows padded to four bytes: the format of a Windows bitmap resource.
void writeBmp(const std::string& path, const Image& img);
void writePng(const std::string& path, const Image& img);

// The embedded bitmap table (resources::detail::kBitmapTable) as a C++ source.
void writeBitmapTableSource(const std::string& path, const BitmapSet& bitmaps);
// The larger sets (kScaledBitmaps150, kScaledBitmaps200) as a C++ source whose pixels come from one
// binary file per set next to it (assembled in with .incbin, found through the assembler's include
// path: far faster to build than literals, and the source names no directory).
// Their ids are the 100 % ids plus kScaledIdOffset150 and kScaledIdOffset200.
void writeScaledBitmapSource(const std::string& directory, const BitmapSet& set150, const BitmapSet& set200);
// resources::bitmapFrames: the frame count of every multi-frame bitmap.
void writeFrameTableSource(const std::string& path, const BitmapSet& bitmaps);
// The resource script naming every bitmap by id; bmpDirectory is written as given (relative to the
// script's include path).
void writeResourceScript(const std::string& path, const std::vector<int>& ids, const std::string& bmpDirectory);
// A glyph table (a resources::GlyphFont) as a C++ source: `symbol` names the constant, defined in the
// namespace resources::detail; `faceName` is the name the table reports.
void writeFontTableSource(const std::string& path, const Typeface& face, int sizePx, const std::string& symbol,
                          const std::string& faceName);

constexpr int kScaledIdOffset150 = 1000;
constexpr int kScaledIdOffset200 = 2000;

}  // namespace artgen
