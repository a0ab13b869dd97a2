// What the render driver and its straightforward form share: the frame a
// render call analyses, the colours it reads and the clean-up around it.
#pragma once

#include "frame/suites.h"
#include "render/worlds/disposal_list.h"
#include "render/worlds/pixels.h"

bool isPremiere(const PF_InData *in_data);

// The input layer as the analysis reads it, and the part of the frame it
// covers: the overlap of the input and the output.
struct RenderFrame {
    InputLayer16 input;
    bool hasMatte = false;
    bool eightBit = false;
    A_long sizeFactor = 1;
    A_long width = 0;
    A_long height = 0;
};

// Reads the depth, the size factor and the input. Returns false when there
// is nothing to analyse: no output pixels, or a frame the analysis cannot
// take (fewer than 200 or more than 4320 rows), whose input has then been
// copied through.
bool frame_ToAnalyse(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                     PF_LayerDef *output, RenderFrame &frame);

// A colour control: through the host's colour suite as floats; Premiere
// Pro's stored 8-bit colour there instead. Always opaque.
PF_Pixel16 readColourParam(const PF_InData *in_data, AEGP_SuiteHandler &suites, PF_ParamDef *param);

// Output pixels the input layer does not cover are not analysed: they are
// made transparent black.
void clearUncoveredOutput(const PF_LayerDef &output, bool eightBit, A_long width, A_long height);

// Disposes whatever is still listed when the call unwinds early (an error
// code or an exception); the normal path disposes explicitly and keeps the
// result.
struct DisposeOnExit {
    const PF_InData *in_data;
    DisposalList &list;
    ~DisposeOnExit() { Dispose_OfAllWorldsOnDisposalList(in_data, list); }
};
