// Signals and a block runner shared by the signal-path tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "engine/processor.h"

namespace enginetest {

template <typename T>
struct StereoBuffer {
    std::vector<T> l, r;
    explicit StereoBuffer(std::size_t n = 0) : l(n), r(n) {}
    std::size_t size() const { return l.size(); }
};

inline std::vector<double> sine(std::size_t n, double cyclesPerSample, double amplitude, double phase = 0.0) {
    std::vector<double> s(n);
    for (std::size_t i = 0; i < n; ++i)
        s[i] = amplitude * std::sin(2.0 * std::numbers::pi * cyclesPerSample * static_cast<double>(i) + phase);
    return s;
}

inline std::vector<double> noise(std::size_t n, double amplitude, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-amplitude, amplitude);
    std::vector<double> s(n);
    for (double& v : s) v = dist(rng);
    return s;
}

template <typename T>
StereoBuffer<T> stereo(const std::vector<double>& l, const std::vector<double>& r) {
    StereoBuffer<T> b(l.size());
    for (std::size_t i = 0; i < l.size(); ++i) {
        b.l[i] = static_cast<T>(l[i]);
        b.r[i] = static_cast<T>(r[i]);
    }
    return b;
}

// Runs the whole input through p in blocks of blockSize frames.
template <typename T>
StereoBuffer<T> run(zarpa::Processor& p, const StereoBuffer<T>& in, int blockSize = 512) {
    StereoBuffer<T> out(in.size());
    const int n = static_cast<int>(in.size());
    for (int start = 0; start < n; start += blockSize) {
        const int frames = std::min(blockSize, n - start);
        p.process(in.l.data() + start, in.r.data() + start, out.l.data() + start, out.r.data() + start, frames);
    }
    return out;
}

// The physical values of the factory "Default" program, as the effect maps them.
inline void applyDefaultProgram(zarpa::Processor& p) {
    p.setOutputGain(1.0);
    p.setDriveGain(1.0);
    p.setTransientMix(std::pow(1.4142136 * static_cast<double>(0.2f), 2) / 4.0);
    p.setReleaseMs(std::pow(10.0, 3.0 * std::pow(static_cast<double>(0.7237f), 0.82030212)));
    p.setTransientShape(0);
    p.setLinkAmount(1.0);
    p.setOversample(false);
    p.setDetectorOrder(0);
    p.setPower(true);
    p.setScale(0);
    p.setBits(1);
    p.setNoiseShape(0);
    p.setCalibrate(0);
    p.setLeveller(1.0, true);
    p.setMeterOversample(false);
    p.setAutoOut(false);
    p.setQuantize(false);
    p.setAutoblack(false);
    p.setAttShow(7);
    p.setPostMeter(false);
    p.reset();
}

template <typename T>
double peakOf(const std::vector<T>& v, std::size_t from = 0) {
    double m = 0.0;
    for (std::size_t i = from; i < v.size(); ++i) m = std::max(m, std::fabs(static_cast<double>(v[i])));
    return m;
}

}  // namespace enginetest
