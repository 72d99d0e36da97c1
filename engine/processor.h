// The signal path of one instance: every processing buffer, the rate-dependent set-up, the reset and
// the per-block kernels (limiter or calibration noise). Knows no VST types, no lock and no editor:
// `Plugin` maps normalised parameters to the physical values below, holds the instance lock around
// the structural calls and resolves the host's channel pointers.
//
// Threading contract:
//  - process(), setSampleRate(), setTransientShape() and reset() are called with the instance lock held
//    (or, for reset(), while the host is not processing).
//  - Every other setter may be called from any thread at any time, concurrently with process(); each
//    stores single aligned values that the kernel reads between samples.
//  - getMeterValues() runs on the editor's thread without the lock.
#pragma once

#include <cstdint>

namespace zarpa {

class Processor {
public:
    Processor();  // allocates every buffer for the largest rate class, set up for 44100 Hz, then reset
    ~Processor();
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    // --- structural (instance lock held) ---
    // The host's rate: truncated to an integer, replaced by 44100 outside [5000, 200000]. Always resets;
    // recomputes the rate-dependent values only when the integer rate changed.
    void setSampleRate(double hostRate);
    // TransShape step 0 "hard", 1 "med", 2 "soft". When the step changes: new window N, envelope delay,
    // transient kernel, and a reset. Returns true when the step changed.
    bool setTransientShape(int step);
    // The reset of all processing state (suspend).
    void reset();

    int sampleRate() const;  // the validated integer rate
    int latency() const;     // look-ahead length + 31: 159, 287 or 543

    // --- plain values (any thread) ---
    void setDriveGain(double gain);           // linear, 1/16 .. 16
    void setOutputGain(double gain);          // linear, 0.25 .. 1
    void setTransientMix(double s);           // S, 0 .. 0.5
    void setReleaseMs(double releaseMs);      // R, 1 .. 1000 ms; recomputes the release coefficients
    void setLinkAmount(double link);          // 0 independent .. 1 fully linked
    void setOversample(bool on);              // detector also measures half-sample values
    void setDetectorOrder(int order);         // 0 "I" (one smoothing stage), 1 "II" (two)
    void setPower(bool on);                   // off: the dry input, delayed by the latency
    void setScale(int step);                  // 0 K-12, 1 K-14, 2 K-20 (calibration level)
    void setBits(int step);                   // 0 8 bit, 1 16 bit, 2 24 bit
    void setNoiseShape(int step);             // 0 off, 1 type A, 2 type B, 3 type C; error position to 0
    void setCalibrate(int step);              // 0 off, 1 left, 2 l+r uncorrelated, 3 right
    void setLeveller(double threshold, bool off);  // T, 0.25 .. 1; off when the raw value is exactly 1.0
    void setMeterOversample(bool on);         // output meters also measure half-sample values
    void setAutoOut(bool on);                 // output gain 1/drive
    void setQuantize(bool on);
    void setAutoblack(bool on);
    void setAttShow(int mask);                // bits 1, 2, 4; also restarts the gain-reduction minima
    void setPostMeter(bool on);               // input meters without the drive gain

    // --- audio (instance lock held) ---
    // inR may equal inL (mono host); outR may equal outL (the right sample is stored first, so outL ends
    // up holding the left result). Inputs may alias outputs. n may be 0.
    void process(const float* inL, const float* inR, float* outL, float* outR, int n);
    void process(const double* inL, const double* inR, double* outL, double* outR, int n);

    // --- meters (editor thread, no lock) ---
    // input peak L, R, output peak L, R, input level L, R, output level L, R, gain L, R; then marks
    // the values read so that the kernel restarts its peak and minimum holds.
    void getMeterValues(float values[10]);
    // Counts the blocks that published meter values (wraps); still while the host calls no process.
    std::uint32_t meterPublicationCount() const;

private:
    struct State;
    State* s_;
};

}  // namespace zarpa
