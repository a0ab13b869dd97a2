// The built effect module, loaded once for all module tests from the path in
// HOLVANE_MODULE (set by the test suite's environment).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/effect_host.h"
#include "host/effect_module.h"
#include "host/owned_world.h"
#include "support/effect_params.h"

inline const EffectModule &loadedModule() {
    static EffectModule module;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (const char *path = std::getenv("HOLVANE_MODULE")) module.open(path);
    }
    return module;
}

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const EffectModule &module = loadedModule();
        ASSERT_TRUE(module.isOpen())
            << "set HOLVANE_MODULE to the built Holvane module: " << module.error();
    }

    static HostSettings settingsFor(HostApp app) {
        HostSettings settings;
        settings.app = app;
        return settings;
    }

    static PF_FilterProc entry() { return loadedModule().entry(); }
};

// A record whose every byte is 0xA5, so any field the effect writes shows.
inline PF_OutData markedOutData() {
    PF_OutData out;
    std::memset(&out, 0xA5, sizeof out);
    return out;
}

inline bool sameBytes(const void *a, const void *b, std::size_t size) {
    return std::memcmp(a, b, size) == 0;
}

inline std::vector<std::uint8_t> worldBytes(const OwnedWorld &world) {
    std::vector<std::uint8_t> bytes;
    for (A_long y = 0; y < world.height(); ++y)
        bytes.insert(bytes.end(), world.row(y), world.row(y) + world.rowbytes());
    return bytes;
}

inline const HostApp kBothHosts[] = {HostApp::AfterEffects, HostApp::Premiere};
