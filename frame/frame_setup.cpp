#include "frame/handlers.h"

PF_Err FrameSetup(PF_InData * /*in_data*/, PF_OutData * /*out_data*/, PF_ParamDef * /*params*/[],
                  PF_LayerDef * /*output*/) {
    return PF_Err_NONE;
}

PF_Err QueryDynamicFlags(PF_InData * /*in_data*/, PF_OutData * /*out_data*/,
                         PF_ParamDef * /*params*/[], void * /*extra*/) {
    return PF_Err_NONE;
}
