// Meters, readouts and the text printers drawn into an offscreen frame: every pixel that matters is
// compared with the bitmap (and source row) it must come from.
#include <gtest/gtest.h>

#include <vector>

#include "editor/control_layout.h"
#include "editor/editor_artwork.h"
#include "editor/meters.h"
#include "editor/readouts.h"
#include "editor/text_printer.h"
#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

namespace zarpa {
namespace {

class ClickCounter : public CControlListener {
public:
    void valueChanged(CControl*) override { ++clicks; }
    int clicks = 0;
};

// A font whose glyph g has every pixel at (g, 1, 2), so a drawn pixel names its glyph.
CBitmap* numberedFont() {
    auto* font = new CBitmap(kGlyphWidth, 192 * kGlyphHeight);
    for (int g = 0; g < 192; ++g)
        font->fill(CRect(0, g * kGlyphHeight, kGlyphWidth, (g + 1) * kGlyphHeight),
                   CColor{static_cast<std::uint8_t>(g), 1, 2, 255});
    return font;
}

class Views : public ::testing::Test {
protected:
    Views() { installEditorArtwork(); }  // the editor's bitmaps, as an editor object hands them over
    ~Views() override {
        for (CBitmap* b : owned) b->forget();
    }
    CBitmap* keep(CBitmap* b) {
        owned.push_back(b);
        return b;
    }
    template <typename T>
    T* add(T* view) {
        frame.addView(view);
        return view;
    }
    void redraw() {
        frame.setDirty(true);
        frame.redrawDirtyViews();
    }
    CPixel at(CCoord x, CCoord y) { return frame.getBackBuffer()->getPixel(x, y); }
    CDrawContext* context() { return frame.getBackBuffer(); }

    CFrame frame{CRect(0, 0, kEditorWidth, kEditorHeight), nullptr, nullptr};
    ClickCounter listener;
    std::vector<CBitmap*> owned;
};

TEST_F(Views, PrinterPlacesGlyphsOnASixPixelPitchOverFilledCells) {
    CBitmap* font = keep(numberedFont());
    CTextPrinter printer(font);
    context()->setFillColor(kWhiteCColor);
    printer.print(context(), CPoint(10, 20), "A~", false, false);
    EXPECT_EQ(at(10, 13), toPixel({'A' - 32, 1, 2}));  // glyph rectangle (10, 13, 15, 21)
    EXPECT_EQ(at(14, 20), toPixel({'A' - 32, 1, 2}));
    EXPECT_EQ(at(15, 17), toPixel(kPrinterNormalColor));  // the sixth column is the cell's fill
    EXPECT_EQ(at(16, 13), toPixel({'~' - 32, 1, 2}));
    EXPECT_EQ(at(10, 12), 0xFF000000u);  // nothing above the cell
    EXPECT_EQ(context()->getFillColor(), kWhiteCColor);  // the context's colours come back

    printer.print(context(), CPoint(100, 20), "ab", true, true);
    EXPECT_EQ(at(100, 13), toPixel({'a' - 32 + 96, 1, 2}));
    EXPECT_EQ(at(100, 21), toPixel({'b' - 32 + 96, 1, 2}));  // vertical: 8 px down
    EXPECT_EQ(at(105, 21), toPixel(kPrinterInvertedColor));
}

TEST_F(Views, CharactersOutsideTheFontUseTheFirstGlyph) {
    EXPECT_EQ(glyphIndex('\n', false), 0);
    EXPECT_EQ(glyphIndex(static_cast<char>(0xC1), false), 'A' - 32);  // the high bit is dropped
    EXPECT_EQ(glyphIndex('\x7f', true), 191);
}

TEST_F(Views, SecondFontPrintsInvertedTextOnTheAlertColour) {
    CBitmap* first = keep(numberedFont());
    CBitmap* second = keep(new CBitmap(kGlyphWidth, 192 * kGlyphHeight));
    second->fill(CRect(0, 0, kGlyphWidth, 192 * kGlyphHeight), CColor{9, 9, 9, 255});
    CTextPrinter2Color printer(first, second);
    printer.print(context(), CPoint(10, 20), "1", false, true, true);
    EXPECT_EQ(at(12, 16), toPixel({9, 9, 9, 255}));
    EXPECT_EQ(at(15, 16), toPixel(kPrinterAlertColor));
    printer.print(context(), CPoint(30, 20), "1", false, true, false);
    EXPECT_EQ(at(32, 16), toPixel({'1' - 32 + 96, 1, 2}));
    EXPECT_EQ(at(35, 16), toPixel(kPrinterInvertedColor));
}

TEST_F(Views, PeakModeLightsSixPixelsPerDecibelFromMinus48) {
    auto* meter = add(new CMeterIn(controlRect(ControlKind::MeterIn), &listener, nullptr));
    CBitmap* lit = keep(new CBitmap(130));
    CBitmap* unlit = keep(new CBitmap(155));
    CBitmap* scale = keep(new CBitmap(133));
    meter->setLevels(1000, 1.0f, 0.001f, 0.0f, 0.0f);  // 0 dBFS left, -60 dBFS (below the scale) right
    redraw();
    for (CCoord y = 42; y < 402; ++y) {
        // Lit and unlit strips both show source row y + 6 at frame row y; 0 dBFS lights 288 px (from y 114).
        const CBitmap* left = y >= 114 ? lit : unlit;
        ASSERT_EQ(at(152, y), left->getPixel(2, y + 6)) << "left bar, y " << y;
        ASSERT_EQ(at(193, y), unlit->getPixel(2, y + 6)) << "right bar, y " << y;
    }
    EXPECT_EQ(at(170, 100), scale->getPixel(6, 62));
}

TEST_F(Views, KSystemModesShowTheLevelWithAThreePixelPeakMarker) {
    auto* meter = add(new CMeterOut(controlRect(ControlKind::MeterOut), &listener, nullptr));
    CBitmap* litK = keep(new CBitmap(154));
    CBitmap* unlitK = keep(new CBitmap(129));
    CBitmap* scaleK14 = keep(new CBitmap(135));
    meter->setMode(2);  // K-14: strip base 420, unlit rows from 60
    meter->setLevels(1000, 0.5f, 0.5f, 0.1f, 0.1f);  // level -20 dB: 240 px; peak -6.02 dB: marker at 324 px
    redraw();
    for (CCoord y = 42; y < 402; ++y) {
        const bool marker = y >= 402 - 324 && y < 402 - 324 + 3;
        const CBitmap* source = (y >= 402 - 240 || marker) ? litK : unlitK;
        ASSERT_EQ(at(322, y), source->getPixel(2, y + 18)) << "y " << y;
    }
    EXPECT_EQ(at(340, 100), scaleK14->getPixel(5, 62));
}

TEST_F(Views, DisplayedPeakHoldsThenFallsWithTheDeliveredTicks) {
    auto* meter = add(new CMeterIn(controlRect(ControlKind::MeterIn), &listener, nullptr));
    meter->setLevels(1000, 0.5f, 0.5f, 0.0f, 0.0f);
    redraw();
    meter->setLevels(1040, 0.0f, 0.0f, 0.0f, 0.0f);
    redraw();
    EXPECT_NEAR(meter->displayedPeakDb(0), -6.0206f, 1e-3);
    meter->setLevels(1080, 0.0f, 0.0f, 0.0f, 0.0f);
    redraw();
    EXPECT_NEAR(meter->displayedPeakDb(0), -6.0206f - 0.2598f, 1e-3);
    meter->reset();
    EXPECT_FLOAT_EQ(meter->displayedPeakDb(0), -122.0f);
}

TEST_F(Views, GainReductionBarGrowsDownwardsAtSixOrTwelvePixelsPerDecibel) {
    auto* meter = add(new CMeterGR(controlRect(ControlKind::MeterGR), &listener));
    CBitmap* bar = keep(new CBitmap(156));
    CBitmap* scale = keep(new CBitmap(167));
    meter->setGains(1000, 0.5f, 1.0f);
    redraw();
    for (CCoord y = 42; y < 187; ++y) {
        ASSERT_EQ(at(240, y), y < 42 + 37 ? bar->getPixel(6, y - 42) : scale->getPixel(7, y - 39)) << "y " << y;
        ASSERT_EQ(at(280, y), scale->getPixel(47, y - 39)) << "y " << y;
    }
    meter->setZoom(0.75f);
    meter->setGains(1040, 0.5f, 0.0f);  // a gain of 0 shows the deepest reduction, -30 dB
    redraw();
    EXPECT_EQ(at(240, 42 + 72), bar->getPixel(6, 72));
    EXPECT_EQ(at(240, 42 + 73), scale->getPixel(7, 153 + 42 + 73 - 39));
    EXPECT_EQ(at(280, 186), bar->getPixel(5, 144));
}

TEST_F(Views, PeakReadoutMarksAClippedSideRedUntilReset) {
    CBitmap* background = keep(new CBitmap(128));
    CBitmap* font = keep(new CBitmap(137));
    CBitmap* second = keep(new CBitmap(138));
    auto* lcd = add(new CMeterLCD(controlRect(ControlKind::InputReadout), &listener, background, font, second));
    lcd->setPeaks(2.0f, 0.5f);  // +6.0 and -6.0 dBFS
    lcd->setPeaks(0.1f, 0.1f);  // lower peaks leave the maxima
    redraw();
    const CCoord L = 131, B = 426;
    EXPECT_EQ(at(L + 1, B - 10), toPixel(kPrinterAlertColor));         // left box red
    EXPECT_EQ(at(L + 61, B - 10), toPixel({79, 79, 79, 255}));          // right box grey
    EXPECT_EQ(at(L + 60, B - 10), background->getPixel(L + 60, B - 10));  // between the boxes
    EXPECT_EQ(at(L + 5 + 5, B - 5), toPixel(kPrinterAlertColor));      // "+6.0" starts at L + 5
    EXPECT_EQ(at(L + 35 + 5, B - 5), toPixel(kPrinterNormalColor));    // "dBFS"
    EXPECT_EQ(at(L, B - 5), background->getPixel(L, B - 5));           // the window background shows
    CPoint where(L + 10, B - 5);
    frame.onMouseDown(where, kLButton);
    EXPECT_EQ(listener.clicks, 1);
    EXPECT_FLOAT_EQ(lcd->maximumDb(0), -120.0f);
    redraw();
    EXPECT_EQ(at(L + 1, B - 10), toPixel({79, 79, 79, 255}));
}

TEST_F(Views, KSystemReadoutsShowDbrAndTheOffsetValue) {
    CBitmap* background = keep(new CBitmap(128));
    CBitmap* font = keep(new CBitmap(137));
    CBitmap* second = keep(new CBitmap(138));
    auto* lcd = add(new CMeterLCD(controlRect(ControlKind::OutputReadout), &listener, background, font, second));
    lcd->setMode(3);
    lcd->setPeaks(0.0031622776f, 0.0f);  // -50 dBFS reads -30.0 in K-20; silence keeps -oo
    redraw();
    const CCoord L = 303, B = 426;
    // "    " clears the old label; "dBr" is printed from L + 38, so its last cell ends at L + 55.
    EXPECT_EQ(at(L + 58, B - 5), toPixel(kPrinterNormalColor));
    // "-30.0" (5 characters) starts at L + 2; "-oo" (3) at L + 68.
    EXPECT_EQ(at(L + 2 + 5, B - 5), toPixel(kPrinterInvertedColor));
    EXPECT_EQ(at(L + 68 + 5, B - 5), toPixel(kPrinterInvertedColor));
    EXPECT_EQ(at(L + 62, B - 2), toPixel({79, 79, 79, 255}));  // box, left of the centred text
}

TEST_F(Views, MeterClicksAskTheListenerToResetAndOtherButtonsAreNotHandled) {
    add(new CMeterGR(controlRect(ControlKind::MeterGR), &listener));
    CPoint where(250, 100);
    EXPECT_EQ(frame.onMouseDown(where, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(frame.onMouseDown(where, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(listener.clicks, 1);
}

}  // namespace
}  // namespace zarpa
