// The Gaussian kernels of the adjacent blur. exp and pow are the host's.
#include <algorithm>

#include "fill/blur_kernel.h"

namespace {

constexpr A_long GAUSSIAN_MAX_SIZE = 51;
constexpr float TWO_PI = 6.2831855f;

// One unnormalised weight: exp and pow in double precision, the divisor
// 2 pi sigma^2 in single, the quotient stored as single.
float gaussianWeight(const PF_ANSICallbacks &maths, A_long i, A_long j, float centre, float sigma) {
    const float u = (static_cast<float>(i) - centre) / sigma;
    const float v = (static_cast<float>(j) - centre) / sigma;
    const double e = maths.exp(-0.5 * (maths.pow(u, 2.0) + maths.pow(v, 2.0)));
    const float divisor = TWO_PI * sigma * sigma;
    return static_cast<float>(e / static_cast<double>(divisor));
}

}  // namespace

void makeNiceGausBlurPlotKernel(const PF_ANSICallbacks &maths, FloatBlurPlotKernel &kernel,
                                A_long size, float sigma) {
    const A_long n = std::clamp((size - 1) / 2 * 2 + 1, A_long{1}, GAUSSIAN_MAX_SIZE);
    kernel.size = n;
    kernel.radius = (n - 1) / 2;
    kernel.centreIndex = n * (n / 2) + n / 2;
    kernel.aux = n * n + n;
    // Taken from the requested size, not from n: for an even or oversized
    // request the bell is slightly off the table's centre.
    const float centre = static_cast<float>(size - 1) / 2.0f;

    float sum = 0.0f;
    for (A_long i = 0; i < n; ++i) {
        for (A_long j = 0; j < n; ++j) {
            const float weight = gaussianWeight(maths, i, j, centre, sigma);
            kernel.plot[i * n + j] = weight;
            sum += weight;
        }
    }
    for (A_long k = 0; k < n * n; ++k) kernel.plot[k] /= sum;
    kernel.total = sum;
    kernel.centreScale = 1.0f / kernel.plot[kernel.centreIndex];
}

// A pixel never contributes to its own colour: the centre weight is removed.
void makeNiceGausColourPatchPlotKernel(const PF_ANSICallbacks &maths, FloatBlurPlotKernel &kernel,
                                       A_long size, float sigma) {
    makeNiceGausBlurPlotKernel(maths, kernel, size, sigma);
    const float removed = kernel.plot[kernel.centreIndex];
    kernel.plot[kernel.centreIndex] = 0.0f;
    kernel.total -= removed;
    kernel.centreScale = 1.0f;
}
