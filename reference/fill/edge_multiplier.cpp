// The straightforward form of EdgeMultiplier: the share of each fill pixel's 5 x 5
// surroundings that is matte in the input or fill in the mask, as 800..20000
// in red, from its 25 samples.
#include "reference/fill/edge_multiplier.h"

#include <algorithm>

#include "detect/red_mask.h"
#include "fill/fill_region.h"

namespace reference {
namespace {

constexpr float FULL_MULTIPLIER = FULL_EDGE_MULTIPLIER;

void clearRed(const PF_LayerDef &redMask, A_long width, A_long height) {
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) setPixel16Red(redMask, x, y, 0);
}

// Samples are clamped to the frame, so near a border one pixel may be counted
// more than once.
A_u_short edgeMultiplierAt(const PF_LayerDef &redMask, const InputLayer16 &input, A_long x,
                           A_long y, A_long width, A_long height) {
    float inside = 0.0f;
    float outside = 0.0f;
    for (A_long dy = -2; dy <= 2; ++dy) {
        const A_long sy = std::clamp(y + dy, A_long{0}, height - 1);
        for (A_long dx = -2; dx <= 2; ++dx) {
            const A_long sx = std::clamp(x + dx, A_long{0}, width - 1);
            if (readInputAlpha16(input, sx, sy) != 0 || getPixel16Blue(redMask, sx, sy) != 0)
                inside += 1.0f;
            else
                outside += 1.0f;
        }
    }
    return static_cast<A_u_short>(
        static_cast<A_long>(inside * FULL_MULTIPLIER / (inside + outside)));
}

}  // namespace

void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData * /*in_data*/, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits) {
    if (width <= 0 || height <= 0) return;
    clearRed(redMask, width, height);
    // Blue is only read here, so the order of the sweep does not matter.
    forEachRegionPixel(limits, FillBounds{0, width - 1, 0, height - 1}, [&](A_long x, A_long y) {
        if (getPixel16Blue(redMask, x, y) == 0) return;
        setPixel16Red(redMask, x, y, edgeMultiplierAt(redMask, input, x, y, width, height));
    });
}

}  // namespace reference
