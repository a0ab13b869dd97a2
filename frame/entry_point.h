// The effect's one exported function.
#pragma once

#include "api/effect_api.h"

#if defined(_WIN32)
#define HOLVANE_EXPORT __declspec(dllexport)
#else
#define HOLVANE_EXPORT __attribute__((visibility("default")))
#endif

// Routes a host command to its handler. Only a PF_Err ever comes back: no
// exception leaves this function.
extern "C" HOLVANE_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData *in_data,
                                                PF_OutData *out_data, PF_ParamDef *params[],
                                                PF_LayerDef *output, void *extra);
