// A small VST 2.4 host: loads a plug-in library (dlopen or LoadLibrary), creates an instance through
// VSTPluginMain (or main) and wraps the dispatcher. Used by the offline renderer, the conformance tests
// and the benchmarks. One VstHost per instance; not thread-safe by itself (the caller serialises).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/vst2.h"

namespace vsthost {

// What the host answers to the plug-in's callbacks; tests may override any of it.
struct HostBehaviour {
    VstIntPtr version = 2400;            // audioMasterVersion answer (0: refuse)
    bool rightInputConnected = true;     // audioMasterPinConnected for input 1
    bool rightOutputConnected = true;    // audioMasterPinConnected for output 1
    float sampleRate = 44100.0f;         // audioMasterGetSampleRate
    VstIntPtr blockSize = 1024;          // audioMasterGetBlockSize
};

// One recorded host callback (for tests).
struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class Library {
public:
    // Loads the library; error() tells why when ok() is false.
    explicit Library(const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool ok() const { return entry_ != nullptr; }
    const std::string& error() const { return error_; }
    using Entry = AEffect* (*)(audioMasterCallback);
    Entry entry() const { return entry_; }

private:
    void* handle_ = nullptr;
    Entry entry_ = nullptr;
    std::string error_;
};

class Instance {
public:
    // Creates an instance through the library's entry point; ok() is false when it returned none.
    Instance(const Library& library, HostBehaviour behaviour = {});
    ~Instance();  // effClose
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool ok() const { return effect_ != nullptr; }
    AEffect* effect() const { return effect_; }
    HostBehaviour& behaviour() { return behaviour_; }
    // The host callbacks received so far (the first 4096; clearCalls() starts over). Plug-ins call the
    // host from any thread (the audio thread, an editor's own timer thread), so the record is guarded.
    std::vector<HostCall> calls() const {
        std::lock_guard<std::mutex> guard(callsMutex_);
        return calls_;
    }
    void clearCalls() {
        std::lock_guard<std::mutex> guard(callsMutex_);
        calls_.clear();
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // Convenience wrappers (texts are read into a 256-byte zeroed buffer).
    std::string effectName();
    std::string vendorString();
    std::string productString();
    std::string paramName(int index);
    std::string paramLabel(int index);
    std::string paramDisplay(int index);
    std::string programName();
    std::string programNameIndexed(int index);
    void setParameter(int index, float value);
    float getParameter(int index);
    void setSampleRate(float rate);
    void setBlockSize(int frames);
    void resume();   // effMainsChanged 1
    void suspend();  // effMainsChanged 0
    std::vector<unsigned char> getChunk(bool isPreset = false);
    VstIntPtr setChunk(const std::vector<unsigned char>& data, bool isPreset = false);
    void process(float** inputs, float** outputs, int frames);
    void process(double** inputs, double** outputs, int frames);
    // Closes the instance now (effClose); later calls do nothing.
    void close();

private:
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    AEffect* effect_ = nullptr;
    HostBehaviour behaviour_;
    mutable std::mutex callsMutex_;
    std::vector<HostCall> calls_;
};

// Path of the built plug-in next to the running executable's build tree, or from $ZARPA_PLUGIN.
std::string defaultPluginPath();

}  // namespace vsthost
