// The set-up of every stage of the signal path, the calibration kernel, and the hand-over of each block
// to the limiter kernel built for this processor (limiter_kernel.cpp).
#include "engine/dsp/signal_path.h"

#include <cmath>
#include <numbers>

#include "engine/dsp/instruction_set.h"

namespace zarpa::dsp {

namespace {
// Corner of the drive and output gain glides: a one-pole at 30 Hz, about 5.3 ms.
constexpr double kGlideCornerHz = 30.0;
}  // namespace

SignalPath::SignalPath(const RateConfig& config, double releaseMs)
    : dry_(kMaxLookAhead + kPreDelay), lookAhead_(kMaxLookAhead) {
    setRate(config, releaseMs, 0);
    reset(1.0, 1.0);
    activeLimiterKernel();  // the processor's choice made here, not on the audio thread
}

void SignalPath::setRate(const RateConfig& config, double releaseMs, int noiseShapeStep) {
    config_ = config;
    const double fs = config.fs;
    dry_.setLength(config.latency());
    lookAhead_.setLength(config.lookAhead);
    detector_.setLookAhead(config.lookAhead);
    gain_.configure(config.window, config.envelopeDelay);
    followerCoefficients_.setRelease(releaseMs, fs);
    followerCoefficients_.setAttack(fs);
    requantizer_.selectShape(noiseShapeStep, config.rate);
    const double glide = 1.0 - std::exp(-(2.0 * std::numbers::pi * kGlideCornerHz) / fs);
    drive_.setCoefficient(glide);
    output_.setCoefficient(glide);
    leveller_.setCoefficient(onePoleCoefficient(1000.0, fs));
    requantizer_.setAutoblackCoefficient(onePoleCoefficient(10.0, fs));
    meters_.setMeanSquareCoefficient(1.0 - std::pow(0.01, 1000.0 / (fs * 600.0)));  // -40 dB in 600 ms
}

void SignalPath::setWindow(const RateConfig& config) {
    config_ = config;
    gain_.configure(config.window, config.envelopeDelay);
}

void SignalPath::reset(double driveTarget, double outputTarget) {
    dither_.reset();
    calibration_.reset();
    meters_.reset();
    requantizer_.reset();
    drive_.reset(driveTarget);
    output_.reset(outputTarget);
    leveller_.reset();
    dry_.reset();
    detector_.reset();
    lookAhead_.reset();
    gain_.reset();
}

template <typename T>
void SignalPath::processLimiter(const T* inL, const T* inR, T* outL, T* outR, int frames, const BlockSettings& s) {
    const LimiterKernel& kernel = activeLimiterKernel();
    if constexpr (sizeof(T) == sizeof(float))
        kernel.limitFloat(this, inL, inR, outL, outR, frames, &s);
    else
        kernel.limitDouble(this, inL, inR, outL, outR, frames, &s);
}

template <typename T>
void SignalPath::processCalibration(T* outL, T* outR, int frames, CalibrationMode mode, double level) {
    for (int i = 0; i < frames; ++i) {
        const Stereo y = calibration_.step(mode, level, dither_);
        if (mode != CalibrationMode::Right) meters_.noiseChannel(0, y.l); else meters_.silentChannel(0);
        if (mode != CalibrationMode::Left) meters_.noiseChannel(1, y.r); else meters_.silentChannel(1);
        outR[i] = static_cast<T>(y.r);
        outL[i] = static_cast<T>(y.l);
    }
}

template void SignalPath::processLimiter<float>(const float*, const float*, float*, float*, int,
                                                const BlockSettings&);
template void SignalPath::processLimiter<double>(const double*, const double*, double*, double*, int,
                                                 const BlockSettings&);
template void SignalPath::processCalibration<float>(float*, float*, int, CalibrationMode, double);
template void SignalPath::processCalibration<double>(double*, double*, int, CalibrationMode, double);

}  // namespace zarpa::dsp
