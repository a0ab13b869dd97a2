// The render command: one frame from input layer to output world.
#pragma once

#include "api/effect_api.h"

PF_Err Render(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output);
