// The transient envelope's configuration.
#include "engine/dsp/transient_envelope.h"

namespace zarpa::dsp {

TransientEnvelope::TransientEnvelope() : windowL_(kMaxWindow), windowR_(kMaxWindow), delay_(kMaxLookAhead) {
    configure(8, 114);
}

void TransientEnvelope::configure(int window, int envelopeDelay) {
    windowL_.setWindow(window);
    windowR_.setWindow(window);
    const int n = windowL_.window();
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
    windowL_.reset();
    windowR_.reset();
    direct_.reset();
    fft_.reset();
    delay_.reset();
}

void TransientEnvelope::process(const double* cL, const double* cR, int n, double* pL, double* pR) {
    for (int i = 0; i < n; ++i) {
        windowMaxL_[i] = windowL_.push(cL[i]);
        windowMaxR_[i] = windowR_.push(cR[i]);
    }
    if (useFft_) {
        for (int i = 0; i < n; ++i) {
            const Stereo e = fft_.push({windowMaxL_[i], windowMaxR_[i]});
            pL[i] = e.l;
            pR[i] = e.r;
        }
    } else {
        direct_.process(windowMaxL_.data(), windowMaxR_.data(), n, pL, pR);
    }
    for (int i = 0; i < n; ++i) {
        const Stereo p = delay_.exchange({pL[i], pR[i]});
        pL[i] = p.l;
        pR[i] = p.r;
    }
}

}  // namespace zarpa::dsp
