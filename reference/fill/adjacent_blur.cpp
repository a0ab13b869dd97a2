// FillChain's adjacent blur in its straightforward form: a still-needed fill
// pixel takes the Gaussian average of the visible input pixels around it,
// itself excluded, each pixel's whole window summed on its own. The render's
// form is the AdjacentBlur of fill/patch_chain.cpp.
#include <cmath>
#include <memory>

#include "fill/fill_region.h"
#include "reference/fill/patch_pixels.h"
#include "reference/fill/patch_sources.h"

namespace reference {
namespace {

// A sum over no qualifying sample is 0 / 0; that comes out as 0.
A_u_short averagedChannel(float sum, float weightSum) {
    const float v = sum / weightSum;
    if (std::isnan(v) || v <= 0.0f) return 0;
    if (v >= static_cast<float>(FULL_SCALE)) return FULL_SCALE;
    return static_cast<A_u_short>(static_cast<A_long>(v));
}

struct ChannelSums {
    float alpha = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float weight = 0.0f;

    void add(const PF_Pixel16 &p, float w) {
        alpha += w * static_cast<float>(p.alpha);
        red += w * static_cast<float>(p.red);
        green += w * static_cast<float>(p.green);
        blue += w * static_cast<float>(p.blue);
        weight += w;
    }
};

}  // namespace

void blendGausSummedAreaIntoSinglePixel(const InputLayer16 &source, const PF_LayerDef &target,
                                        A_long x, A_long y, const FloatBlurPlotKernel &kernel,
                                        A_u_short minimumAlpha) {
    const A_long r = kernel.radius;
    const A_long width = source.layer->width;
    const A_long height = source.layer->height;
    ChannelSums sums;
    for (A_long dy = -r; dy <= r; ++dy) {
        const A_long sy = y + dy;
        if (sy <= 0 || sy >= height) continue;
        for (A_long dx = -r; dx <= r; ++dx) {
            const A_long sx = x + dx;
            if (sx <= 0 || sx >= width) continue;
            const PF_Pixel16 p = readInputPixel16(source, sx, sy);
            if (p.alpha < minimumAlpha) continue;
            sums.add(p, kernel.plot[kernel.centreIndex + dy * kernel.size + dx]);
        }
    }
    const PF_Pixel16 blended{
        averagedChannel(sums.alpha, sums.weight), averagedChannel(sums.red, sums.weight),
        averagedChannel(sums.green, sums.weight), averagedChannel(sums.blue, sums.weight)};
    setPixel16(target, x, y, &blended);
}

void patch_ColorsNeededWithBlurredSurroundingsIfStillNeeded(
    const InputLayer16 &input, const PF_LayerDef &patch, const PF_LayerDef &redMask,
    A_long blurSize, const FillLimitsArray &limits, A_u_short quarterLevel,
    const PF_ANSICallbacks &maths) {
    if (blurSize <= 0) return;
    // Made once per call, not per pixel; the record is too large for the stack.
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*kernel);
    makeNiceGausColourPatchPlotKernel(maths, *kernel, blurSize, ADJACENT_BLUR_SIGMA);

    forEachRegionPixel(limits, worldBounds(redMask), [&](A_long x, A_long y) {
        if (!isFillPixel(redMask, x, y) || !isStillNeeded(patch, x, y)) return;
        // The blend writes all four channels; the patch keeps its own alpha.
        const A_u_short alpha = getPixel16Alpha(patch, x, y);
        blendGausSummedAreaIntoSinglePixel(input, patch, x, y, *kernel, quarterLevel);
        setPixel16Alpha(patch, x, y, alpha);
    });
}

}  // namespace reference
