#include <cstring>

#include "frame/params/params.h"

namespace {

void setSliderFields(PF_SliderDef &sd, const ParamSpec &control) {
    sd.value_str[0] = '\0';
    sd.value_desc[0] = '\0';
    sd.valid_min = control.validMin;
    sd.slider_min = control.sliderMin;
    sd.valid_max = control.validMax;
    sd.slider_max = control.sliderMax;
    sd.dephault = control.dephault;
    sd.value = sd.dephault;
}

void setPopupFields(PF_PopupDef &pd, const ParamSpec &control) {
    pd.num_choices = control.numChoices;
    pd.dephault = static_cast<A_short>(control.dephault);
    pd.value = pd.dephault;
    pd.u.namesptr = control.choices;
}

void setColourFields(PF_ColorDef &cd, const ParamSpec &control) {
    cd.value.red = control.colourDefault.red;
    cd.value.green = control.colourDefault.green;
    cd.value.blue = control.colourDefault.blue;
    cd.value.alpha = PF_MAX_CHAN8;
    cd.dephault = cd.value;
}

// Fills in the fields of def that this control's type uses. The rest of the
// record keeps what earlier controls left there; the host reads only the
// fields of the declared type.
void describeControl(const PF_InData *in_data, PF_ParamDef &def, const ParamSpec &control) {
    def.param_type = control.type;
    in_data->utils->ansi.strcpy(def.name, control.name);
    switch (control.type) {
        case PF_Param_SLIDER:
            setSliderFields(def.u.sd, control);
            break;
        case PF_Param_POPUP:
            setPopupFields(def.u.pd, control);
            break;
        case PF_Param_COLOR:
            setColourFields(def.u.cd, control);
            break;
    }
    def.uu.id = control.index;
}

}  // namespace

PF_Err ParamsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef * /*params*/[],
                   PF_LayerDef * /*output*/) {
    // One record, cleared once and reused: flags and ui_flags stay 0.
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);

    for (const ParamSpec &control : PARAM_SPECS) {
        describeControl(in_data, def, control);
        // The host copies what it needs during the call; -1 appends.
        const PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def);
        if (err != PF_Err_NONE) return err;
    }
    out_data->num_params = PARAM_COUNT;
    return PF_Err_NONE;
}
