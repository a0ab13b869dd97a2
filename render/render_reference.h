// The straightforward render, with the same arguments and host calls as
// Render (not part of the module).
#pragma once

#include "api/effect_api.h"

PF_Err Render_reference(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                        PF_LayerDef *output);
