// The working settings of one render call, derived from the effect's
// parameters and scaled to the host's downsampling.
#pragma once

#include "api/effect_api.h"
#include "render/row_threads.h"
#include "render/stages.h"

enum ViewMode : A_long {
    VIEW_SHOW_RESULT = 1,
    VIEW_SHOW_ONLY_CHANGES = 2,
    VIEW_SHOW_ALPHA = 3,
    VIEW_SHOW_INFO = 4
};

constexpr A_u_short MINIMUM_ALPHA =
    660;  // clear floor of the hole band; least alpha of a coloured pixel

struct RenderSettings {
    A_long downsample;      // 1, 2, 3 or 4
    A_long viewMode;        // ViewMode
    Stage stageLimit;       // stages up to it run (stageRuns): Compose; Classify for Show info
    A_u_short gapDistance;  // not scaled by the downsampling
    A_long maxAcross;       // hole size limit
    A_u_short alphaLevel;   // upper bound (exclusive) of the hole band
    A_u_short quarterLevel;
    float featherRadius;
    A_long growAmount;  // negative shrinks
    A_long fillChain;   // 1..10 (FILL_CHAINS)
    A_long blurSize;
    A_long limitsMargin;
    PF_Pixel16 setColour;
    PF_Pixel16 decontamColour;
    RowThreads threads;  // worker threads for the row-parallel stages (renderThreadCount)
};

A_long downsampleFactor(const PF_InData *in_data);

// Everything but the two colours, which are read through the host's suites.
RenderSettings derive_RenderSettings(const PF_InData *in_data, PF_ParamDef *params[],
                                     A_long outputHeight);

// Whether a render with these settings runs the stage: the stage limit gates
// the stages from EdgeGaps to FillChain, the gap bridging runs only with a
// gap distance and the edge multiplier and the feather only with a feather
// radius; the others always run.
bool stageRuns(const RenderSettings &s, Stage stage);

// Whether the red mask world need only be written at its fill pixels: every
// stage runs, none reads the pixels around the fill (GrowShrink does), and
// the view reads the mask at fill pixels alone (readsMaskAtFillPixelsOnly).
bool writesMaskAtFillPixelsOnly(const RenderSettings &s);
