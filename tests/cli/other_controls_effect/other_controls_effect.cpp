// A stand-in effect module for the renderer's tests whose controls are not
// Holvane's: a slider of id 3 ("Holes", 5..50) and then a popup of id 1
// ("Process", two choices). Its render fails unless it receives exactly those
// two after the input layer, and writes their values into every output pixel:
// red the slider's, green the popup's, blue and alpha the input's.
#include <cstring>

#include "api/effect_api.h"

namespace {

PF_Err declareControls(PF_InData *in_data) {
    PF_ParamDef def{};
    def.param_type = PF_Param_SLIDER;
    def.uu.id = 3;
    std::strcpy(def.name, "Holes");
    def.u.sd.valid_min = def.u.sd.slider_min = 5;
    def.u.sd.valid_max = def.u.sd.slider_max = 50;
    def.u.sd.value = def.u.sd.dephault = 7;
    PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def);
    if (err != PF_Err_NONE) return err;
    std::memset(&def, 0, sizeof def);
    def.param_type = PF_Param_POPUP;
    def.uu.id = 1;
    std::strcpy(def.name, "Process");
    def.u.pd.num_choices = 2;
    def.u.pd.value = def.u.pd.dephault = 1;
    def.u.pd.u.namesptr = "Quick look |Full result |";
    return in_data->inter.add_param(in_data->effect_ref, -1, &def);
}

bool receivedTheDeclaredControls(const PF_InData *in_data, PF_ParamDef *params[]) {
    return in_data->num_params == 3 && params[1]->uu.id == 3 &&
           params[1]->param_type == PF_Param_SLIDER && params[2]->uu.id == 1 &&
           params[2]->param_type == PF_Param_POPUP &&
           std::strcmp(params[2]->u.pd.u.namesptr, "Quick look |Full result |") == 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) PF_Err EntryPointFunc(
    PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
    PF_LayerDef *output, void *) {
    if (cmd == PF_Cmd_PARAMS_SETUP) {
        const PF_Err err = declareControls(in_data);
        if (err == PF_Err_NONE) out_data->num_params = 3;
        return err;
    }
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    if (!receivedTheDeclaredControls(in_data, params)) return PF_Err_BAD_CALLBACK_PARAM;
    const PF_LayerDef &input = params[0]->u.ld;
    for (A_long y = 0; y < output->height; ++y) {
        const auto *from = reinterpret_cast<const PF_Pixel *>(
            reinterpret_cast<const char *>(input.data) + y * input.rowbytes);
        auto *to = reinterpret_cast<PF_Pixel *>(reinterpret_cast<char *>(output->data) +
                                                y * output->rowbytes);
        for (A_long x = 0; x < output->width; ++x) {
            to[x] = from[x];
            to[x].red = A_u_char(params[1]->u.sd.value);
            to[x].green = A_u_char(params[2]->u.pd.value);
        }
    }
    return PF_Err_NONE;
}
