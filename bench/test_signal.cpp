// The benchmarks' test signal.
#include "bench/test_signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace zarpabench {

TestSignal makeTestSignal(int sampleRate, double seconds) {
    const auto n = static_cast<std::size_t>(seconds * sampleRate);
    const double fs = sampleRate;
    const double twoPi = 2.0 * std::numbers::pi;
    std::mt19937 rng(42);
    std::normal_distribution<double> white(0.0, 1.0);
    TestSignal s;
    s.l64.resize(n);
    s.r64.resize(n);
    double peak = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / fs;
        const double beat = std::fmod(t, 0.5);   // 120 bpm
        const double eighth = std::fmod(t, 0.25);
        const double kick = std::sin(twoPi * (50.0 + 120.0 * std::exp(-beat * 30.0)) * beat) * std::exp(-beat * 8.0);
        const double bass = 0.35 * std::sin(twoPi * 55.0 * t) * (0.6 + 0.4 * std::sin(twoPi * 0.5 * t));
        const double chord = 0.12 * (std::sin(twoPi * 220.0 * t) + std::sin(twoPi * 277.2 * t) +
                                     std::sin(twoPi * 329.6 * t + 0.3 * std::sin(twoPi * 5.0 * t)));
        const double hats = 0.15 * white(rng) * std::exp(-eighth * 60.0);
        const double spread = 0.05 * white(rng);
        s.l64[i] = kick + bass + chord + hats + spread;
        s.r64[i] = kick + bass + 0.8 * chord + hats - spread;
        peak = std::max({peak, std::fabs(s.l64[i]), std::fabs(s.r64[i])});
    }
    for (std::size_t i = 0; i < n; ++i) {
        s.l64[i] /= peak;
        s.r64[i] /= peak;
    }
    s.l.assign(s.l64.begin(), s.l64.end());
    s.r.assign(s.r64.begin(), s.r64.end());
    return s;
}

}  // namespace zarpabench
