// The built plug-in as a host loads it, through its entry point: the library and one instance.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "hostlib/vst_host.h"

struct LoadedPlugin {
    std::unique_ptr<vsthost::Library> library;
    std::unique_ptr<vsthost::Instance> instance;

    // Loads the plug-in; a failure is a fatal test failure.
    void load() {
        library = std::make_unique<vsthost::Library>(vsthost::defaultPluginPath());
        ASSERT_TRUE(library->ok()) << library->error();
        instance = std::make_unique<vsthost::Instance>(*library);
        ASSERT_TRUE(instance->ok());
    }
};
