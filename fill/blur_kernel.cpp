// The kernel record's reset and the feather's linear kernel.
#include "fill/blur_kernel.h"

#include <algorithm>

namespace {

// Only the first 101 x 101 weights are cleared: every maker writes all the
// weights it uses, so the rest never needs touching.
constexpr A_long CLEARED_WEIGHTS = 101 * 101;

// Size, radius and centre for a requested size: the largest odd size not
// above it, within 1..maxSize.
void setKernelGeometry(FloatBlurPlotKernel &kernel, A_long requestedSize, A_long maxSize) {
    const A_long n = std::clamp((requestedSize - 1) / 2 * 2 + 1, A_long{1}, maxSize);
    kernel.size = n;
    kernel.radius = (n - 1) / 2;
    kernel.centreIndex = n * (n / 2) + n / 2;
}

}  // namespace

void clearFloatBlurPlotKernel(FloatBlurPlotKernel &kernel) {
    kernel.size = 0;
    kernel.radius = 0;
    kernel.aux = 0;
    kernel.centreIndex = 0;
    kernel.centreScale = 1.0f;
    kernel.total = 1.0f;
    std::fill(kernel.plot, kernel.plot + CLEARED_WEIGHTS, 0.0f);
}

void makeRadialPointBlurPlotKernel(const PF_InData *in_data, FloatBlurPlotKernel &kernel,
                                   A_long requestedSize) {
    setKernelGeometry(kernel, requestedSize, BLUR_KERNEL_MAX_SIZE);
    const A_long n = kernel.size;
    // The centre comes from the requested size, not from n; they agree for
    // every odd request the render makes.
    const float centre = static_cast<float>(requestedSize - 1) / 2.0f;
    const float falloff = static_cast<float>(kernel.radius + 1);
    const auto hostSqrt = in_data->utils->ansi.sqrt;

    float total = 0.0f;
    for (A_long i = 0; i < n; ++i) {
        for (A_long j = 0; j < n; ++j) {
            const float dy = static_cast<float>(i) - centre;
            const float dx = static_cast<float>(j) - centre;
            const float squared = dy * dy + dx * dx;
            const float distance = static_cast<float>(hostSqrt(squared));
            // Negative beyond radius + 1 (the far corners); a stamp ignores
            // those, so they are kept as they are.
            const float weight = 1.0f - distance / falloff;
            kernel.plot[i * n + j] = weight;
            total += weight;
        }
    }
    kernel.total = total;
    kernel.centreScale = 1.0f / kernel.plot[kernel.centreIndex];
}
