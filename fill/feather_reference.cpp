// The straightforward form of stage 8: the whole kernel stamped around every
// edge pixel.
#include "fill/feather_reference.h"

#include <algorithm>
#include <memory>

#include "fill/feather.h"
#include "fill/fill_region.h"
#include "render/worlds/pixels.h"

namespace {

constexpr A_u_short MARK_EDGE = 30000;
constexpr A_u_short MARK_NONE = 10000;
constexpr A_u_short FULL_BLUE = 32768;
constexpr float FULL_STRENGTH = 32768.0f;

bool isEdgePixel(const PF_LayerDef &redMask, A_long x, A_long y) {
    if (getPixel16Blue(redMask, x, y) != FULL_BLUE) return false;
    return getPixel16Blue(redMask, x - 1, y) != FULL_BLUE ||
           getPixel16Blue(redMask, x + 1, y) != FULL_BLUE ||
           getPixel16Blue(redMask, x, y - 1) != FULL_BLUE ||
           getPixel16Blue(redMask, x, y + 1) != FULL_BLUE;
}

PF_LayerDef frameView(const PF_LayerDef &world, A_long width, A_long height) {
    PF_LayerDef view = world;
    view.width = std::min(world.width, width);
    view.height = std::min(world.height, height);
    return view;
}

}  // namespace

void blur_FromBlueAddOrSubtract_reference(const PF_InData *in_data, const PF_LayerDef &redMask,
                                          A_long width, A_long height, A_long /*lastRow*/,
                                          A_long featherRadius, bool subtract,
                                          const FillLimitsArray &limits) {
    if (featherRadius <= 0) return;
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*kernel);
    makeRadialPointBlurPlotKernel(in_data, *kernel, 2 * featherRadius + 1);

    const FillBounds swept{1, width - 2, 1, height - 2};
    const PF_LayerDef frame = frameView(redMask, width, height);
    forEachRegionPixel(limits, swept, [&](A_long x, A_long y) {
        setPixel16Alpha(redMask, x, y, isEdgePixel(redMask, x, y) ? MARK_EDGE : MARK_NONE);
    });
    forEachRegionPixel(limits, swept, [&](A_long x, A_long y) {
        if (getPixel16Alpha(redMask, x, y) == MARK_EDGE)
            superimposePixel16RedMaskBlurBlueAddOrSubtract(frame, x, y, FULL_STRENGTH, *kernel,
                                                           subtract);
    });
}
