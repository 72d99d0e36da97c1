// The artwork painters: one per group of bitmaps, all drawing over the panel they sit on.
#pragma once

#include "style.h"

namespace artgen {

// Bitmap 128: the window background.
Image drawPanel(const Fonts& fonts);

// The painters below add their bitmaps, by resource id, to the set.
void drawKnobs(const Image& panel, BitmapSet& out);                              // 147, 148, 150..153
void drawLevelMeters(const Fonts& fonts, BitmapSet& out);                        // 129..136, 154, 155
void drawGainMeter(const Fonts& fonts, BitmapSet& out);                          // 156, 167
void drawButtons(const Image& panel, const Fonts& fonts, BitmapSet& out);        // 139..146, 149, 160..166
void drawPixelFonts(BitmapSet& out);                                             // 137, 138, 158, 159
void drawPresetBar(const Image& panel, const Fonts& fonts, BitmapSet& out);      // 990..995

// Every bitmap of the module.
BitmapSet drawAllBitmaps(const Fonts& fonts);

}  // namespace artgen
