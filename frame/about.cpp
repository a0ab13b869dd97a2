#include "frame/effect_info.h"
#include "frame/handlers.h"
#include "frame/suites.h"

PF_Err About(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef * /*params*/[],
             PF_LayerDef * /*output*/) {
    // Premiere Pro's about text has a comma after the product and is written
    // through the input record's callbacks; After Effects' goes through the
    // ANSI suite.
    if (in_data->appl_id == PF_ApplId_PREMIERE) {
        in_data->utils->ansi.sprintf(out_data->return_msg, "%s, v%d.%d", EFFECT_ABOUT_PRODUCT,
                                     EFFECT_ABOUT_MAJOR, EFFECT_ABOUT_MINOR);
    } else {
        AEGP_SuiteHandler suites(in_data->pica_basicP);
        suites.ANSICallbacksSuite1()->sprintf(out_data->return_msg, "%s v%d.%d",
                                              EFFECT_ABOUT_PRODUCT, EFFECT_ABOUT_MAJOR,
                                              EFFECT_ABOUT_MINOR);
    }
    return PF_Err_NONE;
}
