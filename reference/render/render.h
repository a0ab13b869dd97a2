// The render driver in its straightforward form, with the same arguments and
// host calls as Render: every neighbouring frame copied whole, every stage in
// its plain form. The tests check the module's render against it, call for
// call and pixel for pixel.
#pragma once

#include "api/effect_api.h"

namespace reference {

PF_Err Render(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output);

}  // namespace reference
