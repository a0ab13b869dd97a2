// Bit depth, the 16-bit working copies of the input layer and its
// neighbouring frames, and the world the render writes into.
#pragma once

#include "api/effect_api.h"
#include "render/worlds/disposal_list.h"

constexpr A_long FRAME_ARRAY_SLOTS = 21;  // frame offsets -10..+10, slot = offset + 10
constexpr A_long FRAME_ARRAY_CENTRE = 10;

PF_Err populate_BitDepthAndSizing(const PF_InData *in_data, PF_OutData *out_data,
                                  const PF_LayerDef *output, bool &eightBit, A_long &sizeFactor);

// world is zeroed, created (width * sizeFactor by height, 16-bit) and listed,
// then filled from source (converted when convertFrom8Bit). setAlpha forces
// the alpha to 32760.
PF_Err populate_OrConvertWrldPreserveOriginalFrameWithMask(
    PF_LayerDef &world, const PF_LayerDef &source, const PF_InData *in_data,
    DisposalList &list, A_long width, A_long sizeFactor, A_long height,
    bool convertFrom8Bit, bool setAlpha);

PF_Err populate_FrameArrayFramesNoMatterWhat(
    PF_LayerDef frameStorage[FRAME_ARRAY_SLOTS], PF_LayerDef *frameArray[FRAME_ARRAY_SLOTS],
    PF_LayerDef &fallback, const PF_InData *in_data, DisposalList &list, A_long width,
    A_long sizeFactor, A_long height, bool eightBit, A_long framesBefore, A_long framesAfter);

PF_Err setup_OutputPointer(PF_LayerDef *&outputWorld, PF_LayerDef &temporary,
                           PF_LayerDef *hostOutput, const PF_InData *in_data,
                           DisposalList &list, A_long width, A_long sizeFactor,
                           A_long height, bool eightBit);

// Creates a zero-filled 16-bit analysis world and lists it. The host zeroes
// new pixels only on request, so the clear is explicit.
PF_Err create_AnalysisWorld(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                            A_long width, A_long sizeFactor, A_long height);
