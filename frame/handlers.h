// The command handlers that belong to the frame. Each takes the host's
// records unchanged from EntryPointFunc and returns a PF_Err; a handler may
// also throw a PF_Err when a host suite is missing.
#pragma once

#include "api/effect_api.h"

// Declares version and flags; in Premiere Pro also the one pixel format.
PF_Err GlobalSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                   PF_LayerDef *output);

// Writes the about text into out_data->return_msg.
PF_Err About(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output);

// The output keeps the input's size: nothing to do.
PF_Err FrameSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                  PF_LayerDef *output);

// extra is the host's PF_ExtDependenciesExtra.
PF_Err DescribeDependencies(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                            void *extra);

// The flags of global setup hold for every frame: nothing changes.
PF_Err QueryDynamicFlags(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                         void *extra);
