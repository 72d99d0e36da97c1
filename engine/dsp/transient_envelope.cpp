// The transient envelope's configuration.
#include "engine/dsp/transient_envelope.h"

#include "engine/dsp/rate_config.h"

namespace zarpa::dsp {

namespace {

// The envelope delay over a chunk, in place.
void delayChunk(StereoDelay& delayLine, int n, double* l, double* r) { delayLine.exchange(l, r, n); }

}  // namespace

TransientEnvelope::TransientEnvelope()
    : window_(kMaxWindow), shortWindowL_(kLongestShortWindow), shortWindowR_(kLongestShortWindow),
      delay_(kMaxLookAhead) {
    const RateConfig initial;  // 44.1 kHz, "hard"
    configure(initial.window, initial.envelopeDelay);
}

void TransientEnvelope::configure(int window, int envelopeDelay) {
    window_.setWindow(window);
    const int n = window_.window();
    useShortWindow_ = n <= kLongestShortWindow;
    shortWindowL_.setWindow(n);
    shortWindowR_.setWindow(n);
    buildTransientKernel(n, kernel_.data());
    useFft_ = n > kLongestDirectWindow;
    if (useFft_)
        fft_.configure(kernel_.data(), n);
    else
        direct_.configure(kernel_.data(), n);
    delay_.setLength(envelopeDelay);
    reset();
}

void TransientEnvelope::reset() {
    window_.reset();
    shortWindowL_.reset();
    shortWindowR_.reset();
    direct_.reset();
    fft_.reset();
    delay_.reset();
}

void TransientEnvelope::process(const double* cL, const double* cR, int n, double* pL, double* pR,
                                bool onlyAboveOne) {
    if (useShortWindow_) {
        shortWindowL_.process(cL, n, windowMaxL_.data());
        shortWindowR_.process(cR, n, windowMaxR_.data());
    } else {
        for (int i = 0; i < n; ++i) pairs_[static_cast<std::size_t>(i)] = {cL[i], cR[i]};
        window_.push(pairs_.data(), n, pairs_.data());
        for (int i = 0; i < n; ++i) {
            windowMaxL_[static_cast<std::size_t>(i)] = pairs_[static_cast<std::size_t>(i)].l;
            windowMaxR_[static_cast<std::size_t>(i)] = pairs_[static_cast<std::size_t>(i)].r;
        }
    }
    if (useFft_) {
        for (int i = 0; i < n; ++i) {
            const Stereo e = fft_.push({windowMaxL_[i], windowMaxR_[i]});
            pL[i] = e.l;
            pR[i] = e.r;
        }
    } else {
        direct_.process(windowMaxL_.data(), windowMaxR_.data(), n, pL, pR, onlyAboveOne);
    }
    delayChunk(delay_, n, pL, pR);
}

}  // namespace zarpa::dsp
