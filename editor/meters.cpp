// Level and gain-reduction meters.
#include "editor/meters.h"

#include "editor/control_layout.h"
#include "editor/control_values.h"
#include "engine/parameters.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace zarpa {

namespace {

constexpr CCoord kBarWidth = window::kBarWidth;
constexpr CCoord kBarTop = window::kLevelBarTop;
constexpr CCoord kBarBottom = window::kLevelBarBottom;
constexpr double kPeakFloorAmplitude = 0.000001;  // -120 dB: silence reads as an empty bar
constexpr float kPeakCeilingDb = 20.0f;
constexpr float kPeakScaleFloorDb = -48.0f;  // peak mode: -48 .. +12 dBFS
constexpr float kKScaleFloorDb = -60.0f;     // K-system: -60 .. 0 dBFS
constexpr CCoord kPeakMarkerHeight = 3;


// The output meter starts one decibel above the floor (its first reset brings it down to the floor).
constexpr float kOutputMeterStartDb = kDisplayFloorDb + 1.0f;
constexpr float kGainFloorDb = -30.0f;  // the deepest reduction shown; a gain of 0 reads as this

float gainDb(float gain) {
    const float db = amplitudeToDb(gain, 0.0);
    return db >= kGainFloorDb ? db : kGainFloorDb;  // also -inf and NaN
}

CBitmap* loadBitmap(int id) { return new CBitmap(id); }

void drawStrip(CDrawContext* context, const CBitmap* strip, CCoord x, CCoord top, CCoord bottom, CCoord sourceY) {
    if (strip && bottom > top) strip->draw(context, CRect(x, top, x + kBarWidth, bottom), CPoint(0, sourceY));
}

}  // namespace

CMouseEventResult notifyResetClick(CControl& control, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    control.valueChanged();
    control.invalid();
    return kConsumed;
}

// ---------------------------------------------------------------------------------------------------------
// Level meters

CLevelMeter::CLevelMeter(const CRect& size, CControlListener* listener, CBitmap* background,
                         const window::LevelMeterLayout& layout, float startDb)
    : CControl(size, listener, window::kMeterTag),
      bitmaps_{background ? background : loadBitmap(window::bitmap::kBackground),
               loadBitmap(window::bitmap::kPeakUnlitBar), loadBitmap(window::bitmap::kPeakLitBar),
               loadBitmap(layout.scaleK20), loadBitmap(layout.scaleK14), loadBitmap(layout.scalePeakK12),
               loadBitmap(window::bitmap::kKUnlitBar), loadBitmap(window::bitmap::kKLitBar)},
      layout_(layout),
      peaks_{PeakHoldFall(startDb), PeakHoldFall(startDb)},
      peakDb_{startDb, startDb},
      levelDb_{startDb, startDb} {
    if (background) background->remember();
}

CLevelMeter::CLevelMeter(const CLevelMeter& other)
    : CControl(other),
      layout_(other.layout_),
      previousTick_(other.previousTick_),
      currentTick_(other.currentTick_),
      peaks_{other.peaks_[0], other.peaks_[1]},
      peakDb_{other.peakDb_[0], other.peakDb_[1]},
      levelDb_{other.levelDb_[0], other.levelDb_[1]},
      mode_(other.mode_) {
    for (int i = 0; i < kBitmapCount; ++i) {
        bitmaps_[i] = other.bitmaps_[i];
        bitmaps_[i]->remember();
    }
}

CLevelMeter::~CLevelMeter() {
    for (CBitmap* bitmap : bitmaps_) bitmap->forget();
}

void CLevelMeter::setLevels(std::uint32_t tick, float peakLeft, float peakRight, float levelLeft, float levelRight) {
    currentTick_ = tick;
    const float peaks[2] = {peakLeft, peakRight};
    const float levels[2] = {levelLeft, levelRight};
    for (int side = 0; side < 2; ++side) {
        const float db = amplitudeToDb(peaks[side], kPeakFloorAmplitude);
        peakDb_[side] = db < kPeakCeilingDb ? db : kPeakCeilingDb;
        levelDb_[side] = amplitudeToDb(levels[side], kPeakFloorAmplitude);
    }
    setDirty(true);
}

void CLevelMeter::setMode(int mode) {
    mode_ = mode;
    setDirty(true);
}

void CLevelMeter::reset() {
    for (int side = 0; side < 2; ++side) {
        peakDb_[side] = kDisplayFloorDb;
        levelDb_[side] = kDisplayFloorDb;
        peaks_[side].reset();
    }
    setDirty(true);
}

void CLevelMeter::draw(CDrawContext* context) {
    const int elapsed = elapsedMs(currentTick_, previousTick_);
    previousTick_ = currentTick_;
    for (int side = 0; side < 2; ++side) peaks_[side].step(elapsed, peakDb_[side]);

    const CCoord bars[2] = {layout_.leftBarX, layout_.rightBarX};
    const CRect scale = toCRect(layout_.scale);
    if (mode_ == 0) {
        bitmaps_[kScalePeakK12]->draw(context, scale);
        for (int side = 0; side < 2; ++side) drawPeakMode(context, bars[side], peaks_[side].displayedDb());
    } else if (mode_ >= 1 && mode_ <= 3) {
        static constexpr int kScaleSlots[3] = {kScalePeakK12, kScaleK14, kScaleK20};
        bitmaps_[kScaleSlots[mode_ - 1]]->draw(context, scale);
        for (int side = 0; side < 2; ++side)
            drawKSystemMode(context, bars[side], levelDb_[side], peaks_[side].displayedDb());
    }
    setDirty(false);
}

void CLevelMeter::drawPeakMode(CDrawContext* context, CCoord barX, float displayedDb) const {
    const CCoord lit = levelBarHeight(displayedDb, kPeakScaleFloorDb);
    const window::StripRows& rows = window::kPeakStripRows;
    drawStrip(context, bitmaps_[kLitPeak], barX, kBarBottom - lit, kBarBottom, rows.litBase - lit);
    drawStrip(context, bitmaps_[kUnlitPeak], barX, kBarTop, kBarBottom - lit, rows.unlitTop);
}

void CLevelMeter::drawKSystemMode(CDrawContext* context, CCoord barX, float levelDb, float displayedDb) const {
    const window::StripRows& rows = window::kKStripRows[mode_ - 1];
    const CCoord base = rows.litBase;
    const CCoord lit = levelBarHeight(levelDb, kKScaleFloorDb);
    drawStrip(context, bitmaps_[kLitK], barX, kBarBottom - lit, kBarBottom, base - lit);
    drawStrip(context, bitmaps_[kUnlitK], barX, kBarTop, kBarBottom - lit, rows.unlitTop);
    const CCoord peak = levelBarHeight(displayedDb, kKScaleFloorDb);
    if (peak >= kPeakMarkerHeight)
        drawStrip(context, bitmaps_[kLitK], barX, kBarBottom - peak, kBarBottom - peak + kPeakMarkerHeight,
                  base - peak);
}

CMouseEventResult CLevelMeter::onMouseDown(CPoint&, const CButtonState& buttons) {
    return notifyResetClick(*this, buttons);
}

CMeterIn::CMeterIn(const CRect& size, CControlListener* listener, CBitmap* background)
    : CLevelMeter(size, listener, background, window::kInputMeterLayout, kDisplayFloorDb) {}

CMeterOut::CMeterOut(const CRect& size, CControlListener* listener, CBitmap* background)
    : CLevelMeter(size, listener, background, window::kOutputMeterLayout, kOutputMeterStartDb) {}

// ---------------------------------------------------------------------------------------------------------
// Gain-reduction meter

CMeterGR::CMeterGR(const CRect& size, CControlListener* listener)
    : CControl(size, listener, window::kMeterTag),
      scale_(loadBitmap(window::bitmap::kGainScale)),
      bar_(loadBitmap(window::bitmap::kGainBar)) {}

CMeterGR::CMeterGR(const CMeterGR& other)
    : CControl(other),
      scale_(other.scale_),
      bar_(other.bar_),
      previousTick_(other.previousTick_),
      currentTick_(other.currentTick_),
      currentDb_{other.currentDb_[0], other.currentDb_[1]},
      sides_{other.sides_[0], other.sides_[1]},
      zoomed_(other.zoomed_) {
    scale_->remember();
    bar_->remember();
}

CMeterGR::~CMeterGR() {
    scale_->forget();
    bar_->forget();
}

void CMeterGR::setGains(std::uint32_t tick, float gainLeft, float gainRight) {
    currentTick_ = tick;
    currentDb_[0] = gainDb(gainLeft);
    currentDb_[1] = gainDb(gainRight);
    setDirty(true);
}

void CMeterGR::setZoom(float value) {
    zoomed_ = valueToStep(value, 2) != 0;
    setDirty(true);
}

void CMeterGR::reset() {
    currentDb_[0] = currentDb_[1] = 0.0f;
    sides_[0].reset();
    sides_[1].reset();
    setDirty(true);
}

void CMeterGR::draw(CDrawContext* context) {
    scale_->draw(context, size, CPoint(0, zoomed_ ? size.getHeight() : 0));  // frames: normal, zoomed
    const int elapsed = elapsedMs(currentTick_, previousTick_);
    previousTick_ = currentTick_;
    for (int side = 0; side < 2; ++side) {
        sides_[side].step(elapsed, currentDb_[side]);
        const CCoord length = gainBarLength(sides_[side].displayedDb(), zoomed_);
        drawStrip(context, bar_, window::kGainBarX[side], window::kGainBarTop, window::kGainBarTop + length, 0);
    }
    setDirty(false);
}

CMouseEventResult CMeterGR::onMouseDown(CPoint&, const CButtonState& buttons) {
    return notifyResetClick(*this, buttons);
}

}  // namespace zarpa
