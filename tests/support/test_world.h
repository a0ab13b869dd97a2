// A world backed by a vector, for tests of the stages.
#pragma once

#include <vector>

#include "api/effect_api.h"

struct TestWorld16 {
    std::vector<PF_Pixel16> pixels;
    PF_LayerDef world{};

    TestWorld16(A_long width, A_long height, PF_Pixel16 fill = PF_Pixel16{0, 0, 0, 0})
        : pixels(static_cast<size_t>(width) * height, fill) {
        world.world_flags = PF_WorldFlag_DEEP;
        world.data = reinterpret_cast<PF_PixelPtr>(pixels.data());
        world.rowbytes = width * static_cast<A_long>(sizeof(PF_Pixel16));
        world.width = width;
        world.height = height;
    }
    TestWorld16(const TestWorld16 &) = delete;
    TestWorld16 &operator=(const TestWorld16 &) = delete;

    PF_Pixel16 &at(A_long x, A_long y) { return pixels[static_cast<size_t>(y) * world.width + x]; }
};

struct TestWorld8 {
    std::vector<PF_Pixel> pixels;
    PF_LayerDef world{};

    TestWorld8(A_long width, A_long height, PF_Pixel fill = PF_Pixel{0, 0, 0, 0})
        : pixels(static_cast<size_t>(width) * height, fill) {
        world.data = pixels.data();
        world.rowbytes = width * static_cast<A_long>(sizeof(PF_Pixel));
        world.width = width;
        world.height = height;
    }
    TestWorld8(const TestWorld8 &) = delete;
    TestWorld8 &operator=(const TestWorld8 &) = delete;

    PF_Pixel &at(A_long x, A_long y) { return pixels[static_cast<size_t>(y) * world.width + x]; }
};
