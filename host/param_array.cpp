#include "host/param_array.h"

#include <cstring>

namespace {

void describeControl(const ParamSpec &control, const ParamValues &values, PF_ParamDef &def) {
    std::memset(&def, 0, sizeof def);
    def.uu.id = control.index;
    def.param_type = control.type;
    std::strncpy(def.name, control.name, sizeof def.name - 1);
    switch (control.type) {
        case PF_Param_SLIDER:
            def.u.sd.value = values.number[control.index];
            def.u.sd.valid_min = control.validMin;
            def.u.sd.valid_max = control.validMax;
            def.u.sd.slider_min = control.sliderMin;
            def.u.sd.slider_max = control.sliderMax;
            def.u.sd.dephault = control.dephault;
            break;
        case PF_Param_POPUP:
            def.u.pd.value = values.number[control.index];
            def.u.pd.num_choices = control.numChoices;
            def.u.pd.dephault = A_short(control.dephault);
            def.u.pd.u.namesptr = control.choices;
            break;
        case PF_Param_COLOR:
            def.u.cd.value = values.colour[control.index];
            def.u.cd.dephault = control.colourDefault;
            break;
        default:
            break;
    }
}

}  // namespace

ParamValues defaultParamValues() {
    ParamValues values;
    for (const ParamSpec &control : PARAM_SPECS) {
        if (control.type == PF_Param_COLOR)
            values.colour[control.index] = control.colourDefault;
        else
            values.number[control.index] = control.dephault;
    }
    return values;
}

void buildParamArray(const ParamValues &values, const PF_LayerDef &input, ParamArray &array) {
    PF_ParamDef &layer = array.defs[PARAM_INPUT];
    std::memset(&layer, 0, sizeof layer);
    layer.param_type = PF_Param_LAYER;
    layer.u.ld = input;
    for (const ParamSpec &control : PARAM_SPECS)
        describeControl(control, values, array.defs[control.index]);
    for (int i = 0; i < PARAM_COUNT; ++i) array.list[i] = &array.defs[i];
}
