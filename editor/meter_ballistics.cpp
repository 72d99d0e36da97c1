// Meter arithmetic and display ballistics.
#include "editor/meter_ballistics.h"

#include <cmath>

namespace zarpa {

namespace {

// Truncates x toward zero and limits it to [0, limit]; NaN and infinities never reach the conversion.
int truncatedPixels(double x, int limit) {
    if (!(x > 0.0)) return 0;
    if (x >= limit) return limit;
    return static_cast<int>(x);
}

}  // namespace

float amplitudeToDb(double amplitude, double floorAmplitude) {
    const double a = amplitude > floorAmplitude ? amplitude : floorAmplitude;
    return static_cast<float>(20.0 * std::log10(a));
}

int elapsedMs(std::uint32_t now, std::uint32_t previous) {
    const auto diff = static_cast<std::int32_t>(now - previous);
    return diff > 0 ? diff : 0;
}

int levelBarHeight(float db, float floorDb) {
    return truncatedPixels((static_cast<double>(db) - floorDb) * kPixelsPerDb + 0.5, kLevelBarPixels);
}

int gainBarLength(float displayedDb, bool zoomed) {
    if (!(displayedDb <= -0.1f)) return 0;
    const double pixelsPerDb = zoomed ? 2 * kPixelsPerDb : kPixelsPerDb;
    const double scaled = displayedDb * pixelsPerDb - 0.5;  // negative here
    if (scaled <= -kGainBarPixels) return kGainBarPixels;
    return truncatedPixels(1.0 - std::trunc(scaled), kGainBarPixels);
}

void PeakHoldFall::step(int elapsed, float peakDb) {
    holdMs_ -= elapsed;
    if (holdMs_ < 1) {
        displayedDb_ = static_cast<float>(displayedDb_ - (-static_cast<double>(holdMs_)) * kFallDbPerMs);
        holdMs_ = 0;
    }
    if (!(displayedDb_ >= kDisplayFloorDb)) displayedDb_ = kDisplayFloorDb;
    if (peakDb > displayedDb_) {
        displayedDb_ = peakDb;
        holdMs_ = kPeakHoldMs;
    }
}

void GainHoldRelease::step(int elapsed, float currentDb) {
    holdMs_ -= elapsed;
    if (holdMs_ < 1) {
        displayedDb_ = static_cast<float>(displayedDb_ + (-static_cast<double>(holdMs_)) * kReleaseDbPerMs);
        holdMs_ = 0;
    }
    if (currentDb < displayedDb_) {
        displayedDb_ = currentDb;
        holdMs_ = kPeakHoldMs;
    }
}

}  // namespace zarpa
