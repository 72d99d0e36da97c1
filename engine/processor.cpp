// The signal path's thread boundary: parameter values stored by any thread, structural changes under
// the instance lock, and the block entries that load one block's settings and run the kernel.
//
// Which kind each value is:
//  - plain values loaded once at the start of each block: drive, output, transient mix, link,
//    oversample, detector order, power, scale, bits, calibrate, leveller, meter oversample, auto-out,
//    quantize, auto-black, post-meter, AttShow's mask;
//  - values with derived state, rebuilt by the audio thread at the start of its next block: release
//    (the eight release coefficients), noise shape (taps and error position, on every call) and AttShow
//    (restarts the gain-reduction minima on every call);
//  - structural, under the instance lock: sample rate and transient shape (window sizes, transient
//    kernel, reset).
#include "engine/processor.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/dsp/signal_path.h"

namespace zarpa {

namespace {

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

// Until the effect applies its program: the factory "Default" values.
constexpr double kDefaultReleaseMs = 200.0;
constexpr double kDefaultTransientMix = 0.02;

constexpr double kQuantizerScales[3] = {128.0, 32768.0, 8388608.0};  // 8, 16, 24 bits

int limitStep(int step, int steps) { return step < 0 ? 0 : step >= steps ? steps - 1 : step; }

// A counter the setter bumps after storing its value; the audio thread acts once per new count.
class Request {
public:
    void post() { count_.fetch_add(1, std::memory_order_release); }
    // True when posted since the last call (audio thread only).
    bool take() {
        const std::uint32_t now = count_.load(std::memory_order_acquire);
        if (now == seen_) return false;
        seen_ = now;
        return true;
    }

private:
    std::atomic<std::uint32_t> count_{0};
    std::uint32_t seen_ = 0;
};

}  // namespace

struct Processor::State {
    // ---- plain values (any thread) ----
    std::atomic<double> driveTarget{1.0};
    std::atomic<double> outputTarget{1.0};
    std::atomic<double> transientMix{kDefaultTransientMix};
    std::atomic<double> releaseMs{kDefaultReleaseMs};
    std::atomic<double> link{1.0};
    std::atomic<double> levellerThreshold{1.0};
    std::atomic<bool> levellerOff{true};
    std::atomic<bool> oversample{false};
    std::atomic<bool> twoStageFollowers{false};
    std::atomic<bool> power{true};
    std::atomic<bool> meterOversample{false};
    std::atomic<bool> autoOut{false};
    std::atomic<bool> quantize{false};
    std::atomic<bool> autoblack{false};
    std::atomic<bool> postMeter{false};
    std::atomic<int> scale{0};
    std::atomic<int> bits{1};
    std::atomic<int> noiseShape{0};
    std::atomic<int> calibrate{0};
    std::atomic<int> attShow{7};
    Request noiseShapeChanged;
    Request attShowChanged;

    // ---- audio thread / instance lock ----
    int shapeStep = 0;
    double appliedReleaseMs = kDefaultReleaseMs;
    dsp::SignalPath path{dsp::makeRateConfig(44100, 0), kDefaultReleaseMs};

    // ---- editor hand-over ----
    dsp::MeterExchange meters;

    dsp::BlockSettings loadSettings() const {
        dsp::BlockSettings b;
        b.driveTarget = driveTarget.load(kRelaxed);
        b.outputTarget = outputTarget.load(kRelaxed);
        b.autoOut = autoOut.load(kRelaxed);
        b.levellerThreshold = levellerThreshold.load(kRelaxed);
        b.levellerOff = levellerOff.load(kRelaxed);
        b.oversample = oversample.load(kRelaxed);
        b.link = link.load(kRelaxed);
        b.twoStageFollowers = twoStageFollowers.load(kRelaxed);
        b.transientMix = transientMix.load(kRelaxed);
        b.power = power.load(kRelaxed);
        b.attShow = attShow.load(kRelaxed);
        b.postMeter = postMeter.load(kRelaxed);
        b.meterOversample = meterOversample.load(kRelaxed);
        b.quantize = quantize.load(kRelaxed);
        b.quantizerScale = kQuantizerScales[bits.load(kRelaxed)];
        b.autoblack = autoblack.load(kRelaxed);
        return b;
    }

    // Derived state of the values set since the last block.
    void applyChanges() {
        const double release = releaseMs.load(kRelaxed);
        if (release != appliedReleaseMs) {
            appliedReleaseMs = release;
            path.setReleaseMs(release);
        }
        if (noiseShapeChanged.take()) path.selectNoiseShape(noiseShape.load(kRelaxed));
        if (attShowChanged.take()) path.meters().restartGains();
        if (meters.readSinceLastPublication()) path.meters().restartHolds();
    }

    void reset() {
        path.reset(driveTarget.load(kRelaxed), outputTarget.load(kRelaxed));
        meters.publish(path.meters().levels());
    }

    template <typename T>
    void process(const T* inL, const T* inR, T* outL, T* outR, int n) {
        if (n <= 0 || !outL) return;
        if (!outR) outR = outL;
        if (!inL) {
            std::memset(outR, 0, sizeof(T) * static_cast<std::size_t>(n));
            std::memset(outL, 0, sizeof(T) * static_cast<std::size_t>(n));
            return;
        }
        if (!inR) inR = inL;
        applyChanges();
        const int mode = calibrate.load(kRelaxed);
        if (mode != 0) {
            path.processCalibration(outL, outR, n, static_cast<dsp::CalibrationMode>(mode),
                                    dsp::calibrationLevel(scale.load(kRelaxed)));
        } else {
            path.processLimiter(inL, inR, outL, outR, n, loadSettings());
        }
        meters.publish(path.meters().levels());
    }
};

Processor::Processor() : s_(new State) { s_->reset(); }

Processor::~Processor() { delete s_; }

// ---- structural ----

void Processor::setSampleRate(double hostRate) {
    State& s = *s_;
    const int rate = dsp::validSampleRate(hostRate);
    if (rate != s.path.config().rate) {
        s.appliedReleaseMs = s.releaseMs.load(kRelaxed);
        s.path.setRate(dsp::makeRateConfig(rate, s.shapeStep), s.appliedReleaseMs, s.noiseShape.load(kRelaxed));
    }
    s.reset();
}

bool Processor::setTransientShape(int step) {
    State& s = *s_;
    step = limitStep(step, dsp::kShapeSteps);
    if (step == s.shapeStep) return false;
    s.shapeStep = step;
    s.path.setWindow(dsp::makeRateConfig(s.path.config().rate, step));
    s.reset();
    return true;
}

void Processor::reset() { s_->reset(); }

int Processor::sampleRate() const { return s_->path.config().rate; }

int Processor::latency() const { return s_->path.config().latency(); }

// ---- plain values ----
// Non-finite values are ignored: they would poison every gain downstream until the next reset.

void Processor::setDriveGain(double gain) {
    if (std::isfinite(gain) && gain > 0.0) s_->driveTarget.store(gain, kRelaxed);  // 1/drive must exist
}

void Processor::setOutputGain(double gain) {
    if (std::isfinite(gain)) s_->outputTarget.store(gain, kRelaxed);
}

void Processor::setTransientMix(double s) {
    if (std::isfinite(s)) s_->transientMix.store(s, kRelaxed);
}

void Processor::setReleaseMs(double releaseMs) {
    if (std::isfinite(releaseMs) && releaseMs > 0.0) s_->releaseMs.store(releaseMs, kRelaxed);
}

void Processor::setLinkAmount(double link) {
    if (std::isfinite(link)) s_->link.store(link, kRelaxed);
}

void Processor::setOversample(bool on) { s_->oversample.store(on, kRelaxed); }

void Processor::setDetectorOrder(int order) { s_->twoStageFollowers.store(order == 1, kRelaxed); }

void Processor::setPower(bool on) { s_->power.store(on, kRelaxed); }

void Processor::setScale(int step) { s_->scale.store(limitStep(step, 3), kRelaxed); }

void Processor::setBits(int step) { s_->bits.store(limitStep(step, 3), kRelaxed); }

void Processor::setNoiseShape(int step) {
    s_->noiseShape.store(limitStep(step, 4), kRelaxed);
    s_->noiseShapeChanged.post();
}

void Processor::setCalibrate(int step) { s_->calibrate.store(limitStep(step, 4), kRelaxed); }

void Processor::setLeveller(double threshold, bool off) {
    if (!std::isfinite(threshold)) return;
    s_->levellerThreshold.store(threshold, kRelaxed);
    s_->levellerOff.store(off, kRelaxed);
}

void Processor::setMeterOversample(bool on) { s_->meterOversample.store(on, kRelaxed); }

void Processor::setAutoOut(bool on) { s_->autoOut.store(on, kRelaxed); }

void Processor::setQuantize(bool on) { s_->quantize.store(on, kRelaxed); }

void Processor::setAutoblack(bool on) { s_->autoblack.store(on, kRelaxed); }

void Processor::setAttShow(int mask) {
    s_->attShow.store(mask & 7, kRelaxed);
    s_->attShowChanged.post();
}

void Processor::setPostMeter(bool on) { s_->postMeter.store(on, kRelaxed); }

// ---- audio ----

void Processor::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    s_->process(inL, inR, outL, outR, n);
}

void Processor::process(const double* inL, const double* inR, double* outL, double* outR, int n) {
    s_->process(inL, inR, outL, outR, n);
}

// ---- meters ----

void Processor::getMeterValues(float values[10]) { s_->meters.read(values); }

std::uint32_t Processor::meterPublicationCount() const { return s_->meters.publicationCount(); }

}  // namespace zarpa
