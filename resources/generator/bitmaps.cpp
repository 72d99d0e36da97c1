// The complete bitmap set: the panel first, then every control drawn over its piece of the panel.
#include "artwork.h"
#include "pixel_font.h"

namespace artgen {

void drawPixelFonts(BitmapSet& out) {
    namespace pal = palette;
    // 137: the readouts' and info panel's characters; 138: the same in the clip colour.
    out[137] = buildPixelFont({pal::kLcdPaper, pal::kLcdInk, pal::kLcdInk, pal::kLcdPaper});
    out[138] = buildPixelFont({pal::kLcdPaper, pal::kClipRed, pal::kClipRed, rgb(255, 244, 236)});
    // 158 and 159 are present but used by nothing: amber and green sets in the same layout.
    out[158] = buildPixelFont({pal::kLcdPaper, rgb(168, 100, 0), rgb(236, 156, 36), rgb(30, 22, 8)});
    out[159] = buildPixelFont({pal::kLcdPaper, rgb(20, 120, 60), rgb(60, 178, 100), rgb(10, 30, 16)});
}

BitmapSet drawAllBitmaps(const Fonts& fonts) {
    BitmapSet out;
    const Image panel = drawPanel(fonts);
    out[128] = panel;
    drawKnobs(panel, out);
    drawLevelMeters(fonts, out);
    drawGainMeter(fonts, out);
    drawButtons(panel, fonts, out);
    drawPixelFonts(out);
    drawPresetBar(panel, fonts, out);
    return out;
}

}  // namespace artgen
