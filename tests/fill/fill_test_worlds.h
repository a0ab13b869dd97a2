// Worlds, limits and host maths for the fill tests, built on plain vectors.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "detect/fill_limits.h"
#include "render/worlds/pixels.h"
#include "support/standard_maths.h"

// Rows are padded past the width so that a stage that steps rows by
// width instead of rowbytes reads the wrong pixels.
template <typename Pixel>
struct TestWorld {
    static constexpr A_long PADDING = 3;
    std::vector<Pixel> pixels;
    PF_LayerDef def{};

    TestWorld(A_long width, A_long height, Pixel fill = Pixel{})
        : pixels(static_cast<size_t>((width + PADDING) * height), fill) {
        def.data = reinterpret_cast<PF_PixelPtr>(pixels.data());
        def.width = width;
        def.height = height;
        def.rowbytes = static_cast<A_long>((width + PADDING) * sizeof(Pixel));
    }
    TestWorld(const TestWorld &) = delete;
    TestWorld &operator=(const TestWorld &) = delete;

    Pixel &at(A_long x, A_long y) {
        return pixels[static_cast<size_t>(y * (def.width + PADDING) + x)];
    }
};

using World16 = TestWorld<PF_Pixel16>;
using World8 = TestWorld<PF_Pixel>;

// A rectangular region, inclusive; the record is large, so it lives on the heap.
inline std::unique_ptr<FillLimitsArray> rectLimits(A_long left, A_long right, A_long firstRow,
                                                   A_long lastRow) {
    auto limits = std::make_unique<FillLimitsArray>();
    limits->firstRow = firstRow;
    limits->lastRow = lastRow;
    for (A_long y = 0; y < FILL_LIMITS_MAX_ROWS; ++y) {
        limits->left[y] = left;
        limits->right[y] = right;
    }
    return limits;
}

inline std::unique_ptr<FillLimitsArray> wholeLimits(const PF_LayerDef &world) {
    return rectLimits(0, world.width - 1, 0, world.height - 1);
}

// An input record whose utility callbacks carry the given maths.
struct TestInData {
    PF_UtilCallbacks utils{};
    PF_InData in{};

    explicit TestInData(const PF_ANSICallbacks &maths = standardMaths()) {
        utils.ansi = maths;
        in.utils = &utils;
    }
    TestInData(const TestInData &) = delete;
    TestInData &operator=(const TestInData &) = delete;
};
