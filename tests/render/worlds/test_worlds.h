// Worlds over memory a test owns. Guard rows above and below the image and
// padding pixels at the end of every row hold a guard pixel, so a pass that
// reads them gives itself away and one that writes them is caught by
// guardsIntact().
#pragma once

#include <cstring>
#include <vector>

#include "render/worlds/pixels.h"

struct WorldLayout {
    A_long padPixels = 0;   // extra pixels at the end of every row
    A_long guardRows = 0;   // extra rows above and below the image
    bool bottomUp = false;  // negative rowbytes: row 0 is the last in memory
};

template <typename Pixel>
struct TestWorld {
    std::vector<Pixel> memory;  // moving it keeps def.data valid; copying would not
    PF_LayerDef def{};
    Pixel guard{};
    A_long stride = 0;  // pixels per row in memory
    A_long guardRows = 0;

    bool guardsIntact() const {
        for (size_t i = 0; i < memory.size(); ++i) {
            const A_long r = static_cast<A_long>(i) / stride, c = static_cast<A_long>(i) % stride;
            const bool inImage = r >= guardRows && r < guardRows + def.height && c < def.width;
            if (!inImage && std::memcmp(&memory[i], &guard, sizeof(Pixel)) != 0) return false;
        }
        return true;
    }
};
using TestWorld16 = TestWorld<PF_Pixel16>;
using TestWorld8 = TestWorld<PF_Pixel>;

template <typename Pixel>
TestWorld<Pixel> makeTestWorld(A_long width, A_long height, Pixel fill, Pixel guard,
                               WorldLayout layout) {
    TestWorld<Pixel> w;
    w.guard = guard;
    w.stride = width + layout.padPixels;
    w.guardRows = layout.guardRows;
    w.memory.assign(static_cast<size_t>(height + 2 * layout.guardRows) * w.stride, guard);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) w.memory[(y + layout.guardRows) * w.stride + x] = fill;
    const A_long rowbytes = w.stride * static_cast<A_long>(sizeof(Pixel));
    const A_long firstRow = layout.guardRows + (layout.bottomUp ? height - 1 : 0);
    // data() + offset, not &memory[offset]: a world without pixels has no
    // element to take the address of.
    w.def.data = reinterpret_cast<PF_PixelPtr>(w.memory.data() + firstRow * w.stride);
    w.def.rowbytes = layout.bottomUp ? -rowbytes : rowbytes;
    w.def.width = width;
    w.def.height = height;
    w.def.world_flags = sizeof(Pixel) == sizeof(PF_Pixel16) ? PF_WorldFlag_DEEP : 0;
    return w;
}

inline TestWorld16 makeWorld16(A_long width, A_long height, PF_Pixel16 fill = {},
                               PF_Pixel16 guard = {}, WorldLayout layout = {}) {
    return makeTestWorld<PF_Pixel16>(width, height, fill, guard, layout);
}

inline TestWorld8 makeWorld8(A_long width, A_long height, PF_Pixel fill = {}, PF_Pixel guard = {},
                             WorldLayout layout = {}) {
    return makeTestWorld<PF_Pixel>(width, height, fill, guard, layout);
}

inline bool samePixel(const PF_Pixel16 &a, const PF_Pixel16 &b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every pixel of columns x0..x1 - 1, rows 0..height - 1 equals p.
inline bool columnsEqual(const PF_LayerDef &world, A_long x0, A_long x1, A_long height,
                         const PF_Pixel16 &p) {
    for (A_long y = 0; y < height; ++y)
        for (A_long x = x0; x < x1; ++x)
            if (!samePixel(*getPixel16(world, x, y), p)) return false;
    return true;
}
