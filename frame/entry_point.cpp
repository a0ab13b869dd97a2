#include "frame/entry_point.h"

#include <new>

#include "frame/handlers.h"
#include "frame/params/params.h"
#include "render/render.h"

namespace {

// Commands without a handler are acknowledged and otherwise ignored.
PF_Err dispatchCommand(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                       PF_LayerDef *output, void *extra) {
    switch (cmd) {
        case PF_Cmd_ABOUT:
            return About(in_data, out_data, params, output);
        case PF_Cmd_GLOBAL_SETUP:
            return GlobalSetup(in_data, out_data, params, output);
        case PF_Cmd_PARAMS_SETUP:
            return ParamsSetup(in_data, out_data, params, output);
        case PF_Cmd_FRAME_SETUP:
            return FrameSetup(in_data, out_data, params, output);
        case PF_Cmd_RENDER:
            return Render(in_data, out_data, params, output);
        case PF_Cmd_GET_EXTERNAL_DEPENDENCIES:
            return DescribeDependencies(in_data, out_data, params, extra);
        case PF_Cmd_QUERY_DYNAMIC_FLAGS:
            return QueryDynamicFlags(in_data, out_data, params, extra);
        default:
            return PF_Err_NONE;
    }
}

}  // namespace

extern "C" HOLVANE_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData *in_data,
                                                PF_OutData *out_data, PF_ParamDef *params[],
                                                PF_LayerDef *output, void *extra) {
    PF_Err err = PF_Err_NONE;
    // An exception crossing into the host would bring the host down, so
    // every failure is turned into an error code here.
    try {
        err = dispatchCommand(cmd, in_data, out_data, params, output, extra);
    } catch (PF_Err thrown) {
        err = thrown;
    } catch (const std::bad_alloc &) {
        err = PF_Err_OUT_OF_MEMORY;
    } catch (...) {
        err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    return err;
}
