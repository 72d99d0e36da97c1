// The effect: parameters (normalised values, their texts and what each one sets in the signal path),
// sample-rate set-up, the instance lock and the two processing entries.
//
// Threading: which parameters are which kind of value —
//  - plain values the kernel reads between samples (stored without the lock): Output, Drive, Transient,
//    Release, L/R Link, Oversample, DetectorOrder, Power, Scale, Bits, NoiseShape, Calibrate, Leveller,
//    MeterOvs, AutoOut, Quantize, Autoblack, AttShow, PostMeter;
//  - editor-only values: MeterType, AttZoom (and the placeholders, which live in the programs only);
//  - structural changes under the instance lock: TransShape and the sample rate (window sizes, transient
//    kernel, reset). When the lock cannot be had within 1000 ms, the change is kept pending and applied by
//    the audio thread at the start of its next block, under the lock, so no block ever runs against a
//    half-done reconfiguration; a block that cannot get the lock in time is written as silence.
// getParameter and the text operations read without locking.
#pragma once

#include <atomic>
#include <memory>

#include "editor/effect_link.h"
#include "engine/parameters.h"
#include "engine/processor.h"
#include "platform/platform.h"
#include "presets/preset_system_effect.h"

namespace zarpa {

class Editor;

constexpr const char* kEffectName = "OKA Zarpa";
constexpr const char* kVendorName = "OKA tonelab";
constexpr const char* kProductName = "Full band precision limiter";
constexpr VstInt32 kUniqueId = vstFourCC('O', 'K', 'z', 'r');
constexpr std::uint32_t kLockWaitMs = 1000;

class Plugin : public CPresetSystemEffect, public EffectLink {
public:
    explicit Plugin(audioMasterCallback audioMaster);
    ~Plugin() override;

    void suspend() override;
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getPlugCategory() override { return kPlugCategMastering; }

    // The editor's read-out of the ten meter values (no lock).
    void getMeterValues(float* values) override;
    // Changes with every processed block (no lock); the editor rests its meters while it stands still.
    std::uint32_t meterPublicationCount() const override;
    // The preferences in the per-user settings store.
    bool storeMeteringPreferences() override;
    int storedEditorScale() override;
    bool storeEditorScale(int percent) override;

    int latency() const { return cEffect.initialDelay; }

private:
    friend struct PluginTestAccess;  // tests hold the instance lock from another thread

    void applyParameter(int index, float value);
    void setTransShapeStep(int step);
    void applySampleRate(float rate);
    void applyPendingChanges();
    void migrateOldLayout();
    static bool marksOldLayout(float versionMarker);
    void readMeteringPreferences();
    template <typename T>
    void processBlock(T** inputs, T** outputs, VstInt32 frames);

    platform::InstanceLock lock_;
    std::unique_ptr<Processor> processor_;
    Editor* editorObject_ = nullptr;  // owned by the base (setEditor), alive as long as the effect
    std::atomic<float> raw_[kEffectParamCount];

    // Structural changes that could not take the lock in time, applied by the next block.
    std::atomic<int> pendingShape_{-1};
    std::atomic<float> pendingRate_{0.0f};  // 0: none
    std::atomic<bool> pendingReset_{false};
};

}  // namespace zarpa
