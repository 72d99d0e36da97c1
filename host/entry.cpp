// The library's entry point, exported as VSTPluginMain and, for older hosts, as main.
#include <new>

#include "host/audioeffect.h"
#include "host/vst2.h"

namespace {

AEffect* createEffect(audioMasterCallback audioMaster) {
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    try {
        AudioEffect* effect = createEffectInstance(audioMaster);
        return effect->getAeffect();
    } catch (...) {  // no exception crosses into the host; an allocation failure gives no instance
        return nullptr;
    }
}

}  // namespace

VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) { return createEffect(audioMaster); }

// The name older hosts look up. A C++ function cannot be called main, so it takes the name in assembly.
VST_EXPORT AEffect* mainEntry(audioMasterCallback audioMaster) asm("main");
VST_EXPORT AEffect* mainEntry(audioMasterCallback audioMaster) { return createEffect(audioMaster); }
