// Rate validation and the rate-class lengths.
#include "engine/dsp/rate_config.h"

#include <cmath>

namespace zarpa::dsp {

int validSampleRate(double hostRate) {
    const double whole = std::trunc(hostRate);
    if (!(whole >= 5000.0 && whole <= 200000.0)) return 44100;
    return static_cast<int>(whole);
}

RateConfig makeRateConfig(int rate, int shapeStep) {
    static constexpr int kWindowAtClass0[kShapeSteps] = {8, 16, 64};
    const int step = shapeStep < 0 ? 0 : shapeStep >= kShapeSteps ? kShapeSteps - 1 : shapeStep;
    RateConfig c;
    c.rate = rate;
    c.fs = static_cast<double>(rate);
    c.rateClass = c.fs < 80000.0 ? 0 : c.fs < 170000.0 ? 1 : 2;
    c.lookAhead = kBaseLookAhead << c.rateClass;
    c.window = kWindowAtClass0[step] << c.rateClass;
    c.envelopeDelay = c.lookAhead - 2 * c.window + 2;
    return c;
}

}  // namespace zarpa::dsp
