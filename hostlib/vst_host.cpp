// The small VST 2.4 host: library loading, instance creation and dispatcher wrappers.
#include "hostlib/vst_host.h"

#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vsthost {

namespace {

// The instance whose entry point is running: the plug-in calls back before its record exists.
thread_local Instance* constructing = nullptr;

}  // namespace

Library::Library(const std::string& path) {
#if defined(_WIN32)
    std::wstring wide(path.begin(), path.end());
    HMODULE module = LoadLibraryW(wide.c_str());
    if (!module) {
        error_ = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return;
    }
    handle_ = module;
    // Through void*: FARPROC's own signature differs from the entry's (a -Wcast-function-type warning).
    auto symbol = [&](const char* name) {
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    };
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : ("cannot load " + path);
        return;
    }
    auto symbol = [&](const char* name) { return reinterpret_cast<Entry>(dlsym(handle_, name)); };
#endif
    entry_ = symbol("VSTPluginMain");
    if (!entry_) entry_ = symbol("main");
    if (!entry_) error_ = path + " exports neither VSTPluginMain nor main";
}

Library::~Library() {
    if (!handle_) return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

Instance::Instance(const Library& library, HostBehaviour behaviour) : behaviour_(behaviour) {
    if (!library.ok()) return;
    constructing = this;
    effect_ = library.entry()(&Instance::callback);
    constructing = nullptr;
    if (effect_ && effect_->magic != kEffectMagic) effect_ = nullptr;
    if (effect_) {
        effect_->user = this;
        effect_->dispatcher(effect_, effOpen, 0, 0, nullptr, 0.0f);  // hosts open every instance first
    }
}

Instance::~Instance() { close(); }

void Instance::close() {
    if (!effect_) return;
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
    effect_ = nullptr;
}

VstIntPtr Instance::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    Instance* self = effect && effect->user ? static_cast<Instance*>(effect->user) : constructing;
    if (!self) return opcode == audioMasterVersion ? 2400 : 0;
    return self->answer(opcode, index, value, ptr, opt);
}

VstIntPtr Instance::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    // Keep the first calls only: a long render or benchmark must not grow the record without limit.
    constexpr std::size_t kMaxRecordedCalls = 4096;
    {
        std::lock_guard<std::mutex> guard(callsMutex_);
        if (calls_.size() < kMaxRecordedCalls) calls_.push_back({opcode, index, value, opt});
    }
    switch (opcode) {
        case audioMasterVersion: return behaviour_.version;
        case audioMasterCurrentId: return 0;
        case audioMasterPinConnected:
            if (index != 1) return 0;
            return (value ? behaviour_.rightOutputConnected : behaviour_.rightInputConnected) ? 0 : 1;
        case audioMasterGetSampleRate: return static_cast<VstIntPtr>(behaviour_.sampleRate);
        case audioMasterGetBlockSize: return behaviour_.blockSize;
        case audioMasterGetVendorString:
            if (ptr) std::strcpy(static_cast<char*>(ptr), "OKA tonelab");
            return 1;
        case audioMasterGetProductString:
            if (ptr) std::strcpy(static_cast<char*>(ptr), "zarpa host");
            return 1;
        default: return 0;
    }
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!effect_) return 0;
    if (opcode == effClose) {
        close();
        return 1;
    }
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

namespace {

std::string textOf(Instance& instance, VstInt32 opcode, VstInt32 index, VstIntPtr value = 0) {
    char buffer[256] = {};
    instance.dispatch(opcode, index, value, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

}  // namespace

std::string Instance::effectName() { return textOf(*this, effGetEffectName, 0); }
std::string Instance::vendorString() { return textOf(*this, effGetVendorString, 0); }
std::string Instance::productString() { return textOf(*this, effGetProductString, 0); }
std::string Instance::paramName(int index) { return textOf(*this, effGetParamName, index); }
std::string Instance::paramLabel(int index) { return textOf(*this, effGetParamLabel, index); }
std::string Instance::paramDisplay(int index) { return textOf(*this, effGetParamDisplay, index); }
std::string Instance::programName() { return textOf(*this, effGetProgramName, 0); }
std::string Instance::programNameIndexed(int index) { return textOf(*this, effGetProgramNameIndexed, index); }

void Instance::setParameter(int index, float value) {
    if (effect_) effect_->setParameter(effect_, index, value);
}

float Instance::getParameter(int index) { return effect_ ? effect_->getParameter(effect_, index) : 0.0f; }

void Instance::setSampleRate(float rate) {
    behaviour_.sampleRate = rate;
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void Instance::setBlockSize(int frames) {
    behaviour_.blockSize = frames;
    dispatch(effSetBlockSize, 0, frames);
}

void Instance::resume() { dispatch(effMainsChanged, 0, 1); }
void Instance::suspend() { dispatch(effMainsChanged, 0, 0); }

std::vector<unsigned char> Instance::getChunk(bool isPreset) {
    void* data = nullptr;
    VstIntPtr size = dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

VstIntPtr Instance::setChunk(const std::vector<unsigned char>& data, bool isPreset) {
    // The plug-in may keep reading the block during the call only; hand it a copy it cannot clobber.
    std::vector<unsigned char> copy = data;
    return dispatch(effSetChunk, isPreset ? 1 : 0, static_cast<VstIntPtr>(copy.size()),
                    copy.empty() ? nullptr : copy.data());
}

void Instance::process(float** inputs, float** outputs, int frames) {
    if (effect_ && effect_->processReplacing) effect_->processReplacing(effect_, inputs, outputs, frames);
}

void Instance::process(double** inputs, double** outputs, int frames) {
    if (effect_ && effect_->processDoubleReplacing)
        effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

std::string defaultPluginPath() {
    if (const char* env = std::getenv("ZARPA_PLUGIN"); env && env[0]) return env;
#ifdef ZARPA_PLUGIN_BUILD_PATH
    return ZARPA_PLUGIN_BUILD_PATH;
#else
    return {};
#endif
}

}  // namespace vsthost
