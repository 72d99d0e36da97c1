// Synthesis of the demo mix: four bars of a I-vi-IV-V-like loop at 120 bpm, repeated.
#include "cli/demo_signal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace zarpacli {

namespace {

constexpr double kBeatSeconds = 0.5;  // 120 bpm
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Deterministic white noise in [-1, 1).
class Noise {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ * (2.0 / 4294967296.0) - 1.0;
    }

private:
    std::uint32_t state_ = 0x2545F491u;
};

struct Stereo {
    std::vector<double>& out;
    int frames;
    void add(int frame, double left, double right) {
        if (frame < 0 || frame >= frames) return;
        out[2 * frame] += left;
        out[2 * frame + 1] += right;
    }
};

int frameAt(double seconds) { return static_cast<int>(std::lround(seconds * kDemoSampleRate)); }

// Kick: a sine falling from 160 to 45 Hz, a 2 ms click on top for the attack.
void kick(Stereo& s, double at, Noise& noise) {
    const int start = frameAt(at), length = frameAt(0.45);
    double phase = 0.0;
    for (int n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / kDemoSampleRate;
        phase += kTwoPi * (45.0 + 115.0 * std::exp(-t / 0.03)) / kDemoSampleRate;
        double v = std::sin(phase) * std::exp(-t / 0.18);
        if (t < 0.002) v += 0.6 * noise.next() * (1.0 - t / 0.002);
        s.add(start + n, v, v);
    }
}

// Snare: a 190 Hz body and a noise burst, the noise a little wider than the body.
void snare(Stereo& s, double at, Noise& noise) {
    const int start = frameAt(at), length = frameAt(0.3);
    for (int n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / kDemoSampleRate;
        const double body = 0.5 * std::sin(kTwoPi * 190.0 * t) * std::exp(-t / 0.06);
        const double l = 0.7 * noise.next() * std::exp(-t / 0.07), r = 0.7 * noise.next() * std::exp(-t / 0.07);
        s.add(start + n, body + l, body + r);
    }
}

// Hi-hat: differentiated noise (bright), very short, placed a little to the right.
void hat(Stereo& s, double at, Noise& noise, double level) {
    const int start = frameAt(at), length = frameAt(0.06);
    double previous = 0.0;
    for (int n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / kDemoSampleRate;
        const double x = noise.next();
        const double v = level * (x - previous) * std::exp(-t / 0.015);
        previous = x;
        s.add(start + n, 0.7 * v, v);
    }
}

// Rises in 10 ms, decays while held, then releases in about 40 ms.
double noteEnvelope(double t, double held) {
    const double attack = std::min(1.0, t / 0.01);
    if (t < held) return attack * std::exp(-t / (2.0 * held));
    return attack * std::exp(-0.5) * std::exp(-(t - held) / 0.04);
}

// A sawtooth through a one-pole low-pass, with an attack and decay envelope; detune spreads it.
void sawNote(Stereo& s, double at, double seconds, double hz, double level, double cutoffHz, double width) {
    const int start = frameAt(at), length = frameAt(seconds + 0.15);
    const double k = 1.0 - std::exp(-kTwoPi * cutoffHz / kDemoSampleRate);
    double phaseL = 0.0, phaseR = 0.37, lpL = 0.0, lpR = 0.0;
    for (int n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / kDemoSampleRate;
        const double env = noteEnvelope(t, seconds);
        phaseL = std::fmod(phaseL + hz * (1.0 - width) / kDemoSampleRate, 1.0);
        phaseR = std::fmod(phaseR + hz * (1.0 + width) / kDemoSampleRate, 1.0);
        lpL += (2.0 * phaseL - 1.0 - lpL) * k;
        lpR += (2.0 * phaseR - 1.0 - lpR) * k;
        s.add(start + n, level * env * lpL, level * env * lpR);
    }
}

}  // namespace

std::vector<double> synthesizeDemo(double seconds) {
    const int frames = std::max(1, frameAt(seconds));
    std::vector<double> out(2 * static_cast<std::size_t>(frames), 0.0);
    Stereo s{out, frames};
    Noise noise;

    // Chord roots per bar (A, F, C, G) and their triads.
    const double roots[4] = {55.0, 43.654, 65.406, 48.999};
    const double triads[4][3] = {{220.0, 261.63, 329.63}, {174.61, 220.0, 261.63}, {261.63, 329.63, 392.0},
                                 {196.0, 246.94, 293.66}};
    const int beats = static_cast<int>(seconds / kBeatSeconds) + 1;
    for (int beat = 0; beat < beats; ++beat) {
        const double t = beat * kBeatSeconds;
        const int bar = (beat / 4) % 4;
        if (beat % 2 == 0) kick(s, t, noise);
        if (beat % 4 == 2) kick(s, t + 0.75 * kBeatSeconds, noise);
        if (beat % 2 == 1) snare(s, t, noise);
        hat(s, t, noise, 0.35);
        hat(s, t + 0.5 * kBeatSeconds, noise, 0.22);
        for (int eighth = 0; eighth < 2; ++eighth)
            sawNote(s, t + eighth * 0.5 * kBeatSeconds, 0.2, 2.0 * roots[bar], 0.55, 400.0, 0.0);
        if (beat % 4 == 0)
            for (double hz : triads[bar]) sawNote(s, t, 4 * kBeatSeconds - 0.1, hz, 0.16, 2500.0, 0.004);
    }

    double peak = 0.0;
    for (double v : out) peak = std::max(peak, std::fabs(v));
    if (peak > 0.0)
        for (double& v : out) v *= kDemoPeak / peak;
    return out;
}

DemoSignal::DemoSignal(double seconds) : samples_(synthesizeDemo(seconds)) {
    info_.sampleRate = kDemoSampleRate;
    info_.channels = 2;
    info_.frames = static_cast<std::int64_t>(samples_.size() / 2);
    info_.bits = 32;
    info_.isFloat = true;
    info_.formatName = "built-in demo";
}

std::size_t DemoSignal::read(double* interleaved, std::size_t frames) {
    const std::size_t n = std::min(frames, samples_.size() / 2 - position_);
    std::copy_n(samples_.begin() + 2 * position_, 2 * n, interleaved);
    position_ += n;
    return n;
}

}  // namespace zarpacli
