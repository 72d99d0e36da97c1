// Drawing into a software framebuffer: rectangles, lines, text and bitmap copies, clipped.
#pragma once

#include <vector>

#include "toolkit/font.h"
#include "toolkit/geometry.h"

enum CDrawStyle { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };
enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

// Draws into pixels it does not own (0xAARRGGBB words, rows from the top, width words a row).
// Every operation is clipped to the clip rectangle, which never exceeds the framebuffer.
// One context is used by one thread at a time (the user-interface thread).
//
// Scale: at 150 % or 200 % the pixels are device pixels, and every coordinate a caller gives is a logical
// pixel of the 100 % window; logical x covers device columns [device(x), device(x + 1)) with
// device(x) = floor(x · scale), so adjacent rectangles stay adjacent. Text takes the predefined font at
// the scale's own size, and bitmaps their set drawn for the scale: nothing is pixel-doubled.
class CDrawContext {
public:
    CDrawContext(CPixel* pixels, CCoord width, CCoord height, int scalePercent = 100);
    virtual ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    CCoord getWidth() const { return width_; }  // device pixels
    CCoord getHeight() const { return height_; }
    CPixel getPixel(CCoord x, CCoord y) const;  // a device pixel; 0 outside the framebuffer
    int getScalePercent() const { return scalePercent_; }
    double getScale() const { return scalePercent_ / 100.0; }
    CCoord toDevice(CCoord logical) const;
    CRect toDevice(const CRect& logical) const;
    const CPixel* getPixels() const { return pixels_; }

    void setFrameColor(const CColor& color) { frameColor_ = color; }
    const CColor& getFrameColor() const { return frameColor_; }
    void setFillColor(const CColor& color) { fillColor_ = color; }
    const CColor& getFillColor() const { return fillColor_; }
    void setFontColor(const CColor& color) { fontColor_ = color; }
    const CColor& getFontColor() const { return fontColor_; }
    void setLineWidth(CCoord width) { lineWidth_ = width < 1 ? 1 : width; }
    CCoord getLineWidth() const { return lineWidth_; }
    void setFont(CFontRef font);
    CFontRef getFont() const { return font_; }

    void setClipRect(const CRect& clip);  // logical, as every coordinate
    const CRect& getClipRect() const { return clip_; }
    void resetClipRect();

    // Stroked: a band of line width pixels inside the rectangle, in the frame colour. Filled: the whole
    // rectangle in the fill colour. Filled and stroked: both, the band on top.
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillRect(const CRect& rect) { drawRect(rect, kDrawFilled); }
    // Lines in the frame colour, line width pixels thick, both end points included.
    void moveTo(const CPoint& point) { penPosition_ = point; }
    void lineTo(const CPoint& point);
    void drawLine(const CPoint& from, const CPoint& to);
    void drawPoint(const CPoint& point, const CColor& color);

    // Text in the font colour, vertically centred in area and aligned horizontally; clipped to area.
    void drawString(const char* text, const CRect& area, CHoriTxtAlign align = kCenterText);
    // Text with its pen starting at (x, baseline y).
    void drawString(const char* text, const CPoint& baselineStart);
    CCoord getStringWidth(const char* text) const;
    // Where drawString(text, area, align) puts the first glyph's pen, and the baseline.
    CPoint textOrigin(const char* text, const CRect& area, CHoriTxtAlign align) const;

    // Copies the pixels of a source image (sourceStride words a row) into the device rectangle target,
    // starting at the device point sourceOrigin in the source; the caller has limited target to the
    // source image.
    void copyDevicePixels(const CRect& target, const CPixel* source, CCoord sourceStride, const CPoint& sourceOrigin);

protected:
    void setPixels(CPixel* pixels, CCoord width, CCoord height);

private:
    void fillClipped(const CRect& deviceRect, const CColor& color);
    void blend(CCoord x, CCoord y, const CColor& color, unsigned coverage);
    void drawGlyphs(const char* text, CPoint pen, const CRect& clip);
    CCoord deviceLineWidth() const;
    CRect logicalBounds() const;

    CPixel* pixels_ = nullptr;
    CCoord width_ = 0;
    CCoord height_ = 0;
    int scalePercent_ = 100;
    CRect clip_;        // logical
    CRect deviceClip_;  // the same in device pixels, within the framebuffer
    CColor frameColor_ = kBlackCColor;
    CColor fillColor_ = kWhiteCColor;
    CColor fontColor_ = kBlackCColor;
    CCoord lineWidth_ = 1;
    CFontRef font_ = nullptr;
    CPoint penPosition_;
};

// A draw context with its own framebuffer (width × height logical pixels at the scale), filled with a
// colour at creation.
class COffscreenContext : public CDrawContext {
public:
    COffscreenContext(CCoord width, CCoord height, const CColor& background = kBlackCColor, int scalePercent = 100);

private:
    std::vector<CPixel> buffer_;
};
