// The sample rate and every length derived from it and from the transient shape.
#pragma once

namespace zarpa::dsp {

inline constexpr int kPreDelay = 31;            // detector delay: the interpolator's centre
inline constexpr int kMaxRateClass = 2;
inline constexpr int kBaseLookAhead = 128;  // L at rate class 0; doubled per class
inline constexpr int kMaxLookAhead = kBaseLookAhead << kMaxRateClass;  // 512
inline constexpr int kMaxWindow = 64 << kMaxRateClass;      // 256
inline constexpr int kShapeSteps = 3;           // "hard", "med", "soft"
// Samples the kernel runs through each stage at a time: longer chunks spread each stage's set-up over
// more samples, shorter ones keep the chunk's values in the nearer caches.
inline constexpr int kChunkFrames = 64;

struct RateConfig {
    int rate = 44100;       // validated integer rate
    double fs = 44100.0;    // the same as a real number, used in every coefficient
    int rateClass = 0;      // 0 below 80 kHz, 1 below 170 kHz, else 2
    int lookAhead = kBaseLookAhead;  // L
    int window = 8;         // N, transient window
    int envelopeDelay = 114;  // M = L - 2N + 2

    int latency() const { return lookAhead + kPreDelay; }
};

// The host's rate truncated to an integer; 44100 when outside [5000, 200000] or not a number.
int validSampleRate(double hostRate);

// The lengths for a validated rate and a transient shape step (limited to 0..2).
RateConfig makeRateConfig(int rate, int shapeStep);

}  // namespace zarpa::dsp
