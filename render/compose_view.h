// Writes the chosen view into the 16-bit output world: the repaired result,
// only the changes, the alpha, or the analysis mask.
#pragma once

#include "detect/fill_limits.h"
#include "detect/red_mask.h"
#include "fill/blue_bits.h"
#include "render/render_settings.h"
#include "render/row_threads.h"
#include "render/worlds/pixels.h"

// The views' fixed pixels and levels.
constexpr PF_Pixel16 TRANSPARENT_BLACK{0, 0, 0, 0};
constexpr PF_Pixel16 OPAQUE_BLACK{FULL_SCALE, 0, 0, 0};
constexpr PF_Pixel16 OPAQUE_BLUE{FULL_SCALE, 0, 0, FULL_SCALE};
constexpr A_u_short BACKGROUND_ALPHA = 300;  // below it, the input counts as background
// The taper keeps (edge multiplier - TAPER_FROM) / TAPER_FROM of the fill
// amount: none up to TAPER_FROM, all of it from FULL_EDGE_MULTIPLIER on.
constexpr A_long TAPER_FROM = FULL_EDGE_MULTIPLIER / 2;

struct ComposeSources {
    InputLayer16 input;  // the input layer itself, on the 16-bit scale
    const PF_LayerDef *patch;
    const PF_LayerDef *redMask;
    const FillLimitsArray *limits;
    PF_Pixel16 decontamColour;
    // The mask's fill plane (fill/blue_bits.h; no pixel beyond it is a fill
    // pixel). compose_OutputRows needs it; the whole-view calls read it from
    // the mask when it is not given.
    const BlueBits *fillPixels = nullptr;
};

// Whether the view reads the mask at its fill pixels alone (Show result and
// the views that fall back to it); the others read every pixel within the
// limits.
constexpr bool readsMaskAtFillPixelsOnly(A_long viewMode) {
    return viewMode != VIEW_SHOW_ONLY_CHANGES && viewMode != VIEW_SHOW_ALPHA &&
           viewMode != VIEW_SHOW_INFO;
}

// Fill amount after tapering at the fill's edge by the edge multiplier (red).
A_u_short taperedFillAmount(const PF_Pixel16 &mask);

// Writes every pixel of output within width x height. The patch world is
// read only where the fill amount is above 0. threads: bands of rows written
// at once (render/row_workers.h); the pixels are the same for any count.
void compose_OutputView(const PF_LayerDef &output, const ComposeSources &sources, A_long viewMode,
                        A_long width, A_long height, RowThreads threads = 1);

// Rows firstRow..endRow - 1 of the view, into a 16-bit output or (eightBit)
// straight into an 8-bit one. A row reads only the same row of the sources.
void compose_OutputRows(const PF_LayerDef &output, bool eightBit, const ComposeSources &sources,
                        A_long viewMode, A_long width, A_long firstRow, A_long endRow);

// Row y of the view, as compose_OutputRows writes it, with the patch
// pixels of that row read from patchRow (indexed by column) rather than
// from the patch world.
void compose_OutputRowWithPatchRow(const PF_LayerDef &output, bool eightBit,
                                   const ComposeSources &sources, A_long viewMode, A_long width,
                                   A_long y, const PF_Pixel16 *patchRow);

// The same view written straight into an 8-bit output, each pixel converted
// as the plain copy16To8BitWorld (reference/render/worlds/world_ops.h)
// converts the 16-bit one: no 16-bit copy is needed.
void compose_OutputViewInto8Bit(const PF_LayerDef &output8, const ComposeSources &sources,
                                A_long viewMode, A_long width, A_long height,
                                RowThreads threads = 1);
