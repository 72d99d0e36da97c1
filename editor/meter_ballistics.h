// The meters' arithmetic without any drawing: amplitudes to dB, bar lengths in pixels, and the display
// ballistics (peak hold and fall, gain-reduction hold and release) advanced by the editor's ticks.
//
// Glossary: "displayed" is the value the bar shows after ballistics; "current" is the newest measured value.
#pragma once

#include <cstdint>

namespace zarpa {

constexpr int kPixelsPerDb = 6;
constexpr int kLevelBarPixels = 360;       // y 42..402 of the level meters
constexpr int kGainBarPixels = 145;        // y 42..187 of the gain-reduction meter
constexpr float kDisplayFloorDb = -122.0f; // the level meters' displayed peak never goes below this
constexpr int kPeakHoldMs = 50;

// 20·log10(max(amplitude, floorAmplitude)); NaN counts as the floor.
float amplitudeToDb(double amplitude, double floorAmplitude);

// Milliseconds from `previous` to `now` on the wrapping 32-bit tick. A tick that went backwards (only the
// first tick after construction can, when the system tick is in its upper half) counts as no time, so a
// hold is never stretched by days.
int elapsedMs(std::uint32_t now, std::uint32_t previous);

// Pixel height of a level bar: (db − floorDb)·6 + 0.5 truncated, limited to [0, 360].
int levelBarHeight(float db, float floorDb);

// Pixel length of the gain-reduction bar: 0 above −0.1 dB, else 1 − trunc(db·m − 0.5) with m = 12 px/dB
// zoomed or 6 px/dB, limited to [0, 145].
int gainBarLength(float displayedDb, bool zoomed);

// One side of a level meter: a peak holds 50 ms, then falls 8.66 dB per second past the hold.
class PeakHoldFall {
public:
    explicit PeakHoldFall(float startDb) : displayedDb_(startDb) {}

    // One draw: time passes, then a higher peak takes over and restarts the hold.
    void step(int elapsed, float peakDb);
    void reset() { displayedDb_ = kDisplayFloorDb; }  // the hold counter stays

    float displayedDb() const { return displayedDb_; }
    int holdMs() const { return holdMs_; }

private:
    static constexpr double kFallDbPerMs = 8.66 / 1000.0;
    int holdMs_ = kPeakHoldMs;
    float displayedDb_;
};

// One side of the gain-reduction meter: a deeper reduction holds 50 ms, then the bar returns towards 0 dB
// at 30 dB per second past the hold.
class GainHoldRelease {
public:
    void step(int elapsed, float currentDb);
    void reset() { displayedDb_ = 0.0f; }  // the hold counter stays

    float displayedDb() const { return displayedDb_; }
    int holdMs() const { return holdMs_; }

private:
    static constexpr double kReleaseDbPerMs = 30.0 / 1000.0;
    int holdMs_ = 10;
    float displayedDb_ = 0.0f;
};

}  // namespace zarpa
