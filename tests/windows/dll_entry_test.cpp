// Both exported entry names of the DLL, looked up with GetProcAddress as old and new hosts do.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/vst2.h"
#include "hostlib/vst_host.h"
#include "tests/windows/user_root.h"

namespace {

VstIntPtr minimalHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(DllEntry, VSTPluginMainAndMainEachCreateAnIndependentInstance) {
    zarpa_test::ScopedUserRoot root;  // the instances read and write the user's settings
    ASSERT_TRUE(root.ok());
    const std::string path = vsthost::defaultPluginPath();
    const std::wstring widePath(path.begin(), path.end());
    HMODULE module = LoadLibraryW(widePath.c_str());
    ASSERT_NE(module, nullptr) << path;

    AEffect* effects[2] = {};
    const char* names[2] = {"VSTPluginMain", "main"};
    for (int i = 0; i < 2; ++i) {
        auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(
            reinterpret_cast<void*>(GetProcAddress(module, names[i])));
        ASSERT_NE(entry, nullptr) << names[i];
        effects[i] = entry(&minimalHost);
        ASSERT_NE(effects[i], nullptr) << names[i];
        EXPECT_EQ(effects[i]->magic, kEffectMagic);
        EXPECT_EQ(effects[i]->uniqueID, vstFourCC('O', 'K', 'z', 'r'));
        EXPECT_EQ(effects[i]->numParams, 26);
    }
    EXPECT_NE(effects[0], effects[1]);
    effects[0]->setParameter(effects[0], 0, 0.125f);
    EXPECT_NE(effects[1]->getParameter(effects[1], 0), 0.125f);

    for (AEffect* effect : effects) EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    FreeLibrary(module);
}

}  // namespace
