// FillChain row by row: each fill pixel of the region takes the colour of
// the first source of the chain that has one for it, each source going over
// a row's fill pixels at once; the patch world is written at the fill pixels
// alone (or its rows handed over, see PatchRowDone). The result there is what
// the plain sources (reference/fill/patch_sources.h), run one after the other
// over the region, leave; the patch world is not written anywhere else
// (nothing reads it elsewhere). threads: bands of rows coloured at once (render/row_workers.h);
// the colours are the same for any count.
#pragma once

#include <functional>

#include "detect/fill_limits.h"
#include "fill/blue_bits.h"
#include "fill/blur_kernel.h"
#include "render/row_threads.h"
#include "render/worlds/pixels.h"
#include "render/worlds/working_images.h"

// The colour sources a fill chain tries (render/fill_chain.h has the chains).
enum class PatchSource { Existing, OneFrame, ThreeFrames, AdjacentBlur, SetColour, None };

constexpr int PATCH_CHAIN_LENGTH = 3;

// The frames a source reads on either side of the current one.
constexpr A_long frameReachOf(PatchSource source) {
    return source == PatchSource::OneFrame ? 1 : source == PatchSource::ThreeFrames ? 3 : 0;
}

struct PatchChainInputs {
    // The frames as FillChain reads them, each on the 16-bit scale whatever its
    // depth: the current one, and by slot (FRAME_ARRAY_SLOTS entries; a null
    // layer has no colour to give).
    InputLayer16 currentFrame;
    const InputLayer16 *frames;
    InputLayer16 input;
    A_u_short minimumAlpha;  // of a coloured pixel in the current or another frame
    A_long blurSize;
    A_u_short quarterLevel;  // least alpha of a blur sample
    PF_Pixel16 setColour;
    const PF_ANSICallbacks *maths;
    // The mask's fill plane (fill/blue_bits.h; no pixel beyond it is a fill
    // pixel); without it the fill pixels are first read from the mask.
    const BlueBits *fillPixels = nullptr;
};

// Called, on the band's thread, with each row of the region as soon as it is
// coloured: colours[x] is the patch pixel of column x, meaningful at the
// fill pixels. When one is given the rows go to it alone and the patch world
// is left as it was, so a caller that uses each row at once keeps the
// colours in the cache.
using PatchRowDone = std::function<void(A_long row, const PF_Pixel16 *colours)>;

void patch_FillPixelsThroughChain(const PatchSource chain[PATCH_CHAIN_LENGTH],
                                  const PatchChainInputs &inputs, const PF_LayerDef &patch,
                                  const PF_LayerDef &redMask, const FillLimitsArray &limits,
                                  RowThreads threads = 1, const PatchRowDone &afterEachRow = {});
