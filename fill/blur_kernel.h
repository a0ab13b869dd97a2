// A square table of single-precision weights used by the feather stamp and
// the adjacent blur, and the makers that fill it.
#pragma once

#include "api/effect_api.h"

constexpr A_long BLUR_KERNEL_MAX_SIZE = 201;

struct FloatBlurPlotKernel {
    A_long size;
    A_long radius;
    A_long aux;
    float plot[BLUR_KERNEL_MAX_SIZE * BLUR_KERNEL_MAX_SIZE + 1];
    A_long centreIndex;
    float centreScale;
    float total;
};

void clearFloatBlurPlotKernel(FloatBlurPlotKernel &kernel);

// The feather's linear fall-off; sqrt comes from the host's ANSI callbacks.
void makeRadialPointBlurPlotKernel(const PF_InData *in_data, FloatBlurPlotKernel &kernel,
                                   A_long requestedSize);

// The maths callbacks the Gaussian makers use (the host's exp and pow).
void makeNiceGausBlurPlotKernel(const PF_ANSICallbacks &maths, FloatBlurPlotKernel &kernel,
                                A_long size, float sigma);
void makeNiceGausColourPatchPlotKernel(const PF_ANSICallbacks &maths, FloatBlurPlotKernel &kernel,
                                       A_long size, float sigma);

// The adjacent blur's sigma, which makes its kernel all but flat.
constexpr float ADJACENT_BLUR_SIGMA = 20000.0f;
