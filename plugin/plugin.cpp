// The effect: construction order, parameter mapping, sample-rate set-up and the processing frame.
#include "plugin/plugin.h"

#include <cmath>
#include <cstring>
#include <type_traits>

#include "editor/editor.h"
#include "plugin/preferences.h"

namespace zarpa {

namespace {

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

template <typename T>
void writeSilence(T** outputs, VstInt32 frames) {
    if (!outputs || frames <= 0) return;
    for (int ch = 0; ch < 2; ++ch)
        if (outputs[ch]) std::memset(outputs[ch], 0, sizeof(T) * static_cast<std::size_t>(frames));
}

}  // namespace

Plugin::Plugin(audioMasterCallback audioMaster) : CPresetSystemEffect(audioMaster) {
    for (auto& value : raw_) value.store(0.0f, kRelaxed);
    lock_.lock(0);

    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kUniqueId);
    canProcessReplacing(true);
    canDoubleReplacing(true);

    processor_ = std::make_unique<Processor>();  // 44100 Hz, buffers for the largest rate class
    setInitialDelay(processor_->latency());
    processor_->reset();

    initFactoryPresets();
    readMeteringPreferences();

    editorObject_ = new Editor(this, *this);  // attaches itself (setEditor)
    editorObject_->setProcessLatency(latency());

    loadStartupDefaults();
    selectProgram(0);
    lock_.unlock();
}

Plugin::~Plugin() {
    // Some hosts close the instance with the editor window still open: close it while the effect is whole.
    if (editor && editor->isOpen()) editor->close();
    lock_.lock(0);
    processor_.reset();
    lock_.unlock();
}

// ---- parameters ----

void Plugin::setParameter(VstInt32 index, float value) {
    if (index >= 0 && index < kEffectParamCount) {
        raw_[index].store(value, kRelaxed);
        applyParameter(index, value);
    } else if (index == kVersionMarker && marksOldLayout(value)) {
        migrateOldLayout();
    }
    if (!loadingProgram) CPresetSystemEffect::setParameter(index, value);
    if (editorObject_) editorObject_->setParameter(index, value);
}

void Plugin::applyParameter(int index, float x) {
    Processor& p = *processor_;
    const auto step = [&](int n) { return valueToStep(x, n); };
    // A non-finite value keeps the previous continuous setting: it would poison every gain downstream.
    const bool finite = std::isfinite(x);
    switch (index) {
        case kOutput: if (finite) p.setOutputGain(outputGain(x)); break;
        case kDrive: if (finite) p.setDriveGain(driveGain(x)); break;
        case kTransient: if (finite) p.setTransientMix(transientMix(x)); break;
        case kRelease: if (finite) p.setReleaseMs(releaseMs(x)); break;
        case kTransShape: setTransShapeStep(step(3)); break;
        case kLink: if (finite) p.setLinkAmount(x); break;
        case kOversample: p.setOversample(step(2) == 1); break;
        case kDetectorOrder: p.setDetectorOrder(step(2)); break;
        case kPower: p.setPower(step(2) == 1); break;
        case kScale: p.setScale(step(3)); break;
        case kBits: p.setBits(step(3)); break;
        case kNoiseShape: p.setNoiseShape(step(4)); break;
        case kCalibrate: p.setCalibrate(step(4)); break;
        case kLeveller: if (finite) p.setLeveller(levellerThreshold(x), x == 1.0f); break;
        case kMeterOvs: p.setMeterOversample(step(2) == 1); break;
        case kAutoOut: p.setAutoOut(step(2) == 1); break;
        case kQuantize: p.setQuantize(step(2) == 1); break;
        case kAutoblack: p.setAutoblack(step(2) == 1); break;
        case kAttShow: p.setAttShow(step(8)); break;
        case kPostMeter: p.setPostMeter(step(2) == 1); break;
        default: break;  // MeterType and AttZoom are read by the editor only
    }
}

void Plugin::setTransShapeStep(int step) {
    if (lock_.lock(kLockWaitMs)) {
        processor_->setTransientShape(step);
        lock_.unlock();
    } else {
        pendingShape_.store(step, kRelaxed);
    }
}

// The older layout stored a value of step 0 of 100 here: -0.01 < x < 0.01, the product taken in 32-bit
// float as the step helper does (0.01 itself is step 1). A more negative value or NaN is no step 0 of
// anything and migrates nothing; limiting it to step 0 first would switch Quantize, Scale and the meters.
bool Plugin::marksOldLayout(float x) {
    const float scaled = 100.0f * x;
    return scaled > -1.0f && scaled < 1.0f;
}

// Settings stored by the older parameter layout (four Bits and four Scale steps, no Quantize, Autoblack,
// MeterType, AttZoom, AttShow or PostMeter) are carried over to the current layout.
void Plugin::migrateOldLayout() {
    setParameter(kAutoblack, stepToValue(0, 2));
    const int bits = valueToStep(raw_[kBits].load(kRelaxed), 4);
    if (bits != 0) {
        setParameter(kQuantize, stepToValue(1, 2));
        setParameter(kBits, stepToValue(bits - 1, 3));
    } else {
        setParameter(kQuantize, stepToValue(0, 2));
        setParameter(kBits, stepToValue(1, 3));
    }
    setParameter(kAttShow, stepToValue(7, 8));
    setParameter(kAttZoom, stepToValue(0, 2));
    setParameter(kPostMeter, stepToValue(1, 2));
    const int scale = valueToStep(raw_[kScale].load(kRelaxed), 4);
    if (scale == 0) {
        setParameter(kMeterType, stepToValue(0, 2));
        setParameter(kScale, stepToValue(1, 3));
    } else {
        setParameter(kMeterType, stepToValue(1, 2));
        setParameter(kScale, stepToValue(scale - 1, 3));
    }
}

void Plugin::readMeteringPreferences() {
    auto key = platform::openSettingsKey(kPreferencesKeyPath);
    if (!key) return;
    for (const MeteringPreference& pref : kMeteringPreferences) {
        std::int32_t stored = 0;
        if (key->readValue(pref.valueName, &stored, sizeof stored) < 0) continue;
        // Only a hand-edited store holds an index outside the parameter's steps: keep it in range.
        const int step = stored < 0 ? 0 : stored >= pref.steps ? pref.steps - 1 : stored;
        setParameter(pref.param, stepToValue(step, pref.steps));
    }
}

float Plugin::getParameter(VstInt32 index) {
    if (index >= 0 && index < kEffectParamCount) return raw_[index].load(kRelaxed);
    if (index == kVersionMarker) return kVersionMarkerValue;
    if (index >= kDummy1 && index <= kDummy3) return CPresetSystemEffect::getParameter(index);
    return -1.0f;
}

void Plugin::getParameterName(VstInt32 index, char* text) {
    if (text && index >= 0 && index < kParamCount) std::strcpy(text, paramInfo(index).name);
}

void Plugin::getParameterLabel(VstInt32 index, char* label) {
    if (label && index >= 0 && index < kParamCount && paramInfo(index).label[0])
        std::strcpy(label, paramInfo(index).label);
}

void Plugin::getParameterDisplay(VstInt32 index, char* text) {
    char buffer[16];
    if (text && index >= 0 && index < kEffectParamCount && formatDisplay(index, raw_[index].load(kRelaxed), buffer))
        std::strcpy(text, buffer);
}

bool Plugin::getParameterProperties(VstInt32, VstParameterProperties* properties) {
    if (!properties) return false;
    properties->stepFloat = 0.0001f;
    properties->flags = kVstParameterUsesFloatStep;
    return true;
}

bool Plugin::getEffectName(char* name) {
    vstCopyString(name, kEffectName, kVstMaxEffectNameLen);
    return true;
}

bool Plugin::getVendorString(char* text) {
    vstCopyString(text, kVendorName, kVstMaxVendorStrLen);
    return true;
}

bool Plugin::getProductString(char* text) {
    vstCopyString(text, kProductName, kVstMaxProductStrLen);
    return true;
}

// ---- processing frame ----

void Plugin::suspend() {
    if (lock_.lock(kLockWaitMs)) {
        processor_->reset();
        lock_.unlock();
    } else {
        pendingReset_.store(true, kRelaxed);
    }
}

void Plugin::setSampleRate(float rate) {
    if (lock_.lock(kLockWaitMs)) {
        applySampleRate(rate);
        lock_.unlock();
    } else {
        AudioEffect::setSampleRate(rate);
        pendingRate_.store(rate > 0 ? rate : 44100.0f, kRelaxed);
    }
}

void Plugin::applySampleRate(float rate) {
    AudioEffect::setSampleRate(rate);
    const int before = processor_->sampleRate();
    processor_->setSampleRate(rate);
    if (processor_->sampleRate() != before) {
        setInitialDelay(processor_->latency());
        if (editorObject_) editorObject_->setProcessLatency(processor_->latency());
    }
}

// Called by the audio thread with the lock held.
void Plugin::applyPendingChanges() {
    const float rate = pendingRate_.exchange(0.0f, kRelaxed);
    if (rate != 0.0f) applySampleRate(rate);
    const int shape = pendingShape_.exchange(-1, kRelaxed);
    if (shape >= 0) processor_->setTransientShape(shape);
    if (pendingReset_.exchange(false, kRelaxed)) processor_->reset();
}

template <typename T>
void Plugin::processBlock(T** inputs, T** outputs, VstInt32 frames) {
    if (!lock_.lock(kLockWaitMs)) {
        writeSilence(outputs, frames);
        return;
    }
    applyPendingChanges();
    if (frames > 0) {
        if (inputs && outputs && inputs[0] && outputs[0]) {
            const T* inL = inputs[0];
            const T* inR = isInputConnected(1) && inputs[1] ? inputs[1] : inL;
            T* outL = outputs[0];
            T* outR = isOutputConnected(1) && outputs[1] ? outputs[1] : outL;
            processor_->process(inL, inR, outL, outR, frames);
        } else {
            writeSilence(outputs, frames);
        }
    }
    lock_.unlock();
}

void Plugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    processBlock(inputs, outputs, sampleFrames);
}

void Plugin::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
    processBlock(inputs, outputs, sampleFrames);
}

void Plugin::getMeterValues(float* values) {
    if (values && processor_) processor_->getMeterValues(values);
}

std::uint32_t Plugin::meterPublicationCount() const { return processor_ ? processor_->meterPublicationCount() : 0; }

bool Plugin::storeMeteringPreferences() { return zarpa::storeMeteringPreferences(*this); }

int Plugin::storedEditorScale() { return zarpa::storedEditorScale(); }

bool Plugin::storeEditorScale(int percent) { return zarpa::storeEditorScale(percent); }

}  // namespace zarpa

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) { return new zarpa::Plugin(audioMaster); }
