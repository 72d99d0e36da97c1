// SDK-style effect base classes: the effect record and its trampolines, the dispatcher with the
// standard's default answers, and the helpers that call the host back.
//
// Threading: the dispatcher and setParameter come from any host thread; processing entries from the
// audio thread. The base classes keep no state of their own beyond the record and a few plain values.
#pragma once

#include "host/vst2.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }
    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }

    virtual void process(float**, float**, VstInt32) {}  // deprecated accumulating process: does nothing
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double**, double**, VstInt32) {}

    virtual void setParameter(VstInt32, float) {}
    virtual float getParameter(VstInt32) { return 0.0f; }
    // Sets the parameter locally, then tells the host (audioMasterAutomate).
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char*) {}
    virtual void getProgramName(char* name) { name[0] = 0; }

    virtual void getParameterLabel(VstInt32, char*) {}
    virtual void getParameterDisplay(VstInt32, char*) {}
    virtual void getParameterName(VstInt32, char*) {}

    virtual VstInt32 getChunk(void**, bool) { return 0; }
    virtual VstInt32 setChunk(void*, VstInt32, bool) { return 0; }

    AEffect* getAeffect() { return &cEffect; }
    AEffEditor* getEditor() const { return editor; }
    // Attaches the editor (owned from now on) and declares it in the record's flags.
    void setEditor(AEffEditor* newEditor);

    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 n) { cEffect.numInputs = n; }
    void setNumOutputs(VstInt32 n) { cEffect.numOutputs = n; }
    void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
    void canProcessReplacing(bool state = true);
    void canDoubleReplacing(bool state = true);
    void programsAreChunks(bool state = true);

    // Host callbacks (each does nothing without a host callback).
    virtual VstIntPtr masterIdle();
    virtual bool isInputConnected(VstInt32 input);   // no callback, or an answer of 0: connected
    virtual bool isOutputConnected(VstInt32 output);
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    virtual bool updateDisplay();
    // Asks the host to resize the editor's window to width × height pixels; true when it did.
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    // The host's answer to audioMasterCanDo for the text: true only for a plain yes (1).
    virtual bool canHostDo(const char* text);
    // effVendorSpecific: the content-scale hint ('PreS', 'AeCs', factor in opt) goes to the editor.
    virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void setFlag(VstInt32 flag, bool state);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect{};
};

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual bool canParameterBeAutomated(VstInt32) { return true; }
    virtual bool getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
    virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 getPlugCategory() { return kPlugCategUnknown; }
    virtual VstInt32 canDo(const char*) { return 0; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
};

// Copies text into a host buffer of maxLen characters plus terminator; never writes past it.
void vstCopyString(char* dst, const char* src, int maxLen);

// The effect a host gets from the entry point: defined by the plug-in assembly. May throw (the entry
// point keeps every exception from the host).
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
