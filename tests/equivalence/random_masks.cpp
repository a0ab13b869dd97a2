#include "random_masks.h"

#include <algorithm>

#include "render/worlds/pixels.h"

std::unique_ptr<FillLimitsArray> randomLimits(TestRng &rng, A_long width, A_long height) {
    auto limits = std::make_unique<FillLimitsArray>();
    *limits = FillLimitsArray{};
    limits->firstRow = rng.below(std::max<A_long>(1, height / 6));
    limits->lastRow = height - 1 - rng.below(std::max<A_long>(1, height / 6));
    for (A_long y = 0; y < height; ++y) {
        A_long left = rng.below(width / 3 + 1);
        A_long right = width - 1 - rng.below(width / 3 + 1);
        if (rng.chance(0.05)) right = left;
        if (rng.chance(0.03)) left = right = 0;
        if (rng.chance(0.2)) left = 0;
        if (rng.chance(0.2)) right = width - 1;
        limits->left[y] = left;
        limits->right[y] = right;
    }
    return limits;
}

std::unique_ptr<FillLimitsArray> wholeLimits(A_long width, A_long height) {
    auto limits = std::make_unique<FillLimitsArray>();
    *limits = FillLimitsArray{};
    limits->firstRow = 0;
    limits->lastRow = height - 1;
    for (A_long y = 0; y < height; ++y) limits->right[y] = width - 1;
    return limits;
}

OwnedWorld randomBandMask(TestRng &rng, A_long width, A_long height, double band, A_long blob) {
    OwnedWorld mask(width, height, PixelDepth::Sixteen, 16);
    for (A_long y = 0; y < height; ++y) {
        A_long x = 0;
        while (x < width) {
            const A_long run = 1 + rng.below(blob);
            const A_u_short red = rng.chance(band) ? 32768 : 0;
            for (A_long i = 0; i < run && x < width; ++i, ++x) mask.pixel16(x, y)->red = red;
        }
    }
    return mask;
}
