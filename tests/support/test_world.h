// Worlds over memory a test owns, for the tests of the stages and of the
// world operations. Rows may be padded past the width and guard rows may lie
// above and below the image; both hold a guard pixel, so a pass that steps
// rows by width instead of rowbytes reads the wrong pixels, and one that
// writes outside the image is caught by guardsIntact().
#pragma once

#include <cstring>
#include <vector>

#include "render/worlds/pixels.h"

struct WorldLayout {
    A_long padPixels = 0;   // extra pixels at the end of every row
    A_long guardRows = 0;   // extra rows above and below the image
    bool bottomUp = false;  // negative rowbytes: row 0 is the last in memory
};

// Rows padded past the width, as a host's worlds often are.
inline constexpr WorldLayout kPaddedRows{3, 0, false};

template <typename Pixel>
struct TestWorld {
    std::vector<Pixel> memory;  // moving it keeps def.data valid; copying would not
    PF_LayerDef def{};
    Pixel guard{};
    A_long stride = 0;  // pixels per row in memory
    A_long guardRows = 0;

    TestWorld(A_long width, A_long height, Pixel fill = Pixel{}, WorldLayout layout = {},
              Pixel guardPixel = Pixel{})
        : guard(guardPixel), stride(width + layout.padPixels), guardRows(layout.guardRows) {
        memory.assign(static_cast<size_t>(height + 2 * guardRows) * stride, guard);
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) memory[(y + guardRows) * stride + x] = fill;
        const A_long rowbytes = stride * static_cast<A_long>(sizeof(Pixel));
        const A_long firstRow = guardRows + (layout.bottomUp ? height - 1 : 0);
        // data() + offset, not &memory[offset]: a world without pixels has no
        // element to take the address of.
        def.data = reinterpret_cast<PF_PixelPtr>(memory.data() + firstRow * stride);
        def.rowbytes = layout.bottomUp ? -rowbytes : rowbytes;
        def.width = width;
        def.height = height;
        def.world_flags = sizeof(Pixel) == sizeof(PF_Pixel16) ? PF_WorldFlag_DEEP : 0;
    }
    TestWorld(TestWorld &&) = default;
    TestWorld &operator=(TestWorld &&) = default;
    TestWorld(const TestWorld &) = delete;
    TestWorld &operator=(const TestWorld &) = delete;

    Pixel &at(A_long x, A_long y) {
        return *reinterpret_cast<Pixel *>(reinterpret_cast<char *>(def.data) +
                                          static_cast<std::ptrdiff_t>(y) * def.rowbytes +
                                          static_cast<std::ptrdiff_t>(x) * sizeof(Pixel));
    }

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

inline TestWorld16 makeWorld16(A_long width, A_long height, PF_Pixel16 fill = {},
                               PF_Pixel16 guard = {}, WorldLayout layout = {}) {
    return TestWorld16(width, height, fill, layout, guard);
}

inline TestWorld8 makeWorld8(A_long width, A_long height, PF_Pixel fill = {}, PF_Pixel guard = {},
                             WorldLayout layout = {}) {
    return TestWorld8(width, height, fill, layout, guard);
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
