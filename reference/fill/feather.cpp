// The straightforward form of Feather: the whole kernel stamped around every
// edge pixel.
#include "reference/fill/feather.h"

#include <algorithm>
#include <memory>

#include "detect/red_mask.h"
#include "fill/fill_region.h"
#include "render/worlds/pixels.h"

namespace reference {
namespace {

constexpr float FULL_STRENGTH = FULL_SCALE;  // of a stamp

// Either way blue moves one way only.
float stampedBlue(float blue, float stamp, bool subtract) {
    if (subtract) return std::max(std::min(FULL_STRENGTH - stamp, blue), 0.0f);
    return std::min(std::max(stamp, blue), FULL_STRENGTH);
}

A_u_short roundedBlue(float blue) {
    return static_cast<A_u_short>(static_cast<A_long>(blue + 0.5f));
}

bool isEdgePixel(const PF_LayerDef &redMask, A_long x, A_long y) {
    if (getPixel16Blue(redMask, x, y) != FILL_BLUE) return false;
    return getPixel16Blue(redMask, x - 1, y) != FILL_BLUE ||
           getPixel16Blue(redMask, x + 1, y) != FILL_BLUE ||
           getPixel16Blue(redMask, x, y - 1) != FILL_BLUE ||
           getPixel16Blue(redMask, x, y + 1) != FILL_BLUE;
}

// The world as the stamp sees it: cut to the frame, so that where a host
// records more than the frame's width no stamp reaches past the frame.
PF_LayerDef frameView(const PF_LayerDef &world, A_long width, A_long height) {
    PF_LayerDef view = world;
    view.width = std::min(world.width, width);
    view.height = std::min(world.height, height);
    return view;
}

}  // namespace

void superimposePixel16RedMaskBlurBlueAddOrSubtract(const PF_LayerDef &world, A_long x, A_long y,
                                                    float strength,
                                                    const FloatBlurPlotKernel &kernel,
                                                    bool subtract) {
    const A_long r = kernel.radius;
    for (A_long dy = -r; dy <= r; ++dy) {
        const A_long py = y + dy;
        // Row 0 and column 0 are never written; the last row and column are.
        if (py < 1 || py >= world.height) continue;
        for (A_long dx = -r; dx <= r; ++dx) {
            const A_long px = x + dx;
            if (px < 1 || px >= world.width) continue;
            PF_Pixel16 *p = getPixel16(world, px, py);
            const float stamp = strength * kernel.plot[kernel.centreIndex + dy * kernel.size + dx] *
                                kernel.centreScale;
            const float blue = stampedBlue(static_cast<float>(p->blue), stamp, subtract);
            p->blue = roundedBlue(blue);
        }
    }
}

void blur_FromBlueAddOrSubtract(const PF_InData *in_data, const PF_LayerDef &redMask, A_long width,
                                A_long height, A_long /*lastRow*/, A_long featherRadius,
                                bool subtract, const FillLimitsArray &limits) {
    if (featherRadius <= 0) return;
    // The record holds 40,402 weights: too large for the stack.
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*kernel);
    makeRadialPointBlurPlotKernel(in_data, *kernel, 2 * featherRadius + 1);

    const FillBounds swept{1, width - 2, 1, height - 2};
    const PF_LayerDef frame = frameView(redMask, width, height);
    forEachRegionPixel(limits, swept, [&](A_long x, A_long y) {
        setPixel16Alpha(redMask, x, y, isEdgePixel(redMask, x, y) ? MARK_SET : MARK_CLEAR);
    });
    forEachRegionPixel(limits, swept, [&](A_long x, A_long y) {
        if (getPixel16Alpha(redMask, x, y) == MARK_SET)
            superimposePixel16RedMaskBlurBlueAddOrSubtract(frame, x, y, FULL_STRENGTH, *kernel,
                                                           subtract);
    });
}

}  // namespace reference
