// The one-pole smoother shared by every glide, follower and meter, and the named numeric guards.
#pragma once

#include <cmath>

namespace zarpa::dsp {

// Added to and subtracted from the smoothed gains after every update: values too small to survive
// the addition become exactly 0 instead of slow denormals.
inline constexpr double kDenormalFlush = 1e-30;

// Lowest peak value the detectors report: keeps divisions finite and the followers off denormals.
inline constexpr double kPeakFloor = 0.00001;

// Coefficient of a one-pole smoother with a time constant of timeMs at the rate fs.
inline double onePoleCoefficient(double timeMs, double fs) { return 1.0 - std::exp(-1000.0 / (timeMs * fs)); }

// One step of y towards x with coefficient k.
inline double onePoleStep(double y, double x, double k) { return y + (x - y) * k; }

inline double flushDenormal(double x) { return (x + kDenormalFlush) - kDenormalFlush; }

}  // namespace zarpa::dsp
