// The effect's nine controls: their index in the render's parameter array,
// ids, names, ranges and defaults. The one table ParamsSetup declares them
// from; hosts, ours and `holvane` included, know them only as declared.
#pragma once

#include "api/effect_api.h"

enum ParamIndex : A_long {
    PARAM_INPUT = 0,
    PARAM_PROCESS,
    PARAM_CLOSE_EDGE_GAPS,
    PARAM_HOLE_SIZE,
    PARAM_BELOW_ALPHA,
    PARAM_FILL_WITH,
    PARAM_SET_COLOR,
    PARAM_FEATHER_IN,
    PARAM_SHRINK_GROW,
    PARAM_DECONTAM_COLOR,
    PARAM_COUNT
};

struct ParamSpec {
    ParamIndex index;
    PF_ParamType type;    // PF_Param_POPUP, PF_Param_SLIDER or PF_Param_COLOR
    const char *name;     // as the host shows it: at most 31 characters
    const char *choices;  // popup: the "|"-terminated choice names
    A_short numChoices;   // popup
    A_long validMin, validMax, sliderMin, sliderMax;  // slider; popup: 1..numChoices
    A_long dephault;                                  // slider and popup
    PF_Pixel colourDefault;                           // colour (alpha, red, green, blue)
};

// Entries 1..9 in index order; index 0 (the input layer) has no entry.
extern const ParamSpec PARAM_SPECS[PARAM_COUNT - 1];

const ParamSpec &paramSpec(ParamIndex index);

PF_Err ParamsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                   PF_LayerDef *output);
