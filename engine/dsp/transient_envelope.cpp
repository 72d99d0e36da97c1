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

}  // namespace zarpa::dsp
