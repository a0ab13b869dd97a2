#include "host/param_array.h"

#include <cstring>

namespace {

void describeControl(const ParamSpec &spec, const ParamValues &values, PF_ParamDef &def) {
    std::memset(&def, 0, sizeof def);
    def.uu.id = spec.index;
    def.param_type = spec.type;
    std::strncpy(def.name, spec.name, sizeof def.name - 1);
    switch (spec.type) {
        case PF_Param_SLIDER:
            def.u.sd.value = values.number[spec.index];
            def.u.sd.valid_min = spec.validMin;
            def.u.sd.valid_max = spec.validMax;
            def.u.sd.slider_min = spec.sliderMin;
            def.u.sd.slider_max = spec.sliderMax;
            def.u.sd.dephault = spec.dephault;
            break;
        case PF_Param_POPUP:
            def.u.pd.value = values.number[spec.index];
            def.u.pd.num_choices = spec.numChoices;
            def.u.pd.dephault = A_short(spec.dephault);
            def.u.pd.u.namesptr = spec.choices;
            break;
        case PF_Param_COLOR:
            def.u.cd.value = values.colour[spec.index];
            def.u.cd.dephault = spec.colourDefault;
            break;
        default:
            break;
    }
}

}  // namespace

ParamValues defaultParamValues() {
    ParamValues values;
    for (const ParamSpec &spec : PARAM_SPECS) {
        if (spec.type == PF_Param_COLOR)
            values.colour[spec.index] = spec.colourDefault;
        else
            values.number[spec.index] = spec.dephault;
    }
    return values;
}

void buildParamArray(const ParamValues &values, const PF_LayerDef &input, ParamArray &array) {
    PF_ParamDef &layer = array.defs[PARAM_INPUT];
    std::memset(&layer, 0, sizeof layer);
    layer.param_type = PF_Param_LAYER;
    layer.u.ld = input;
    for (const ParamSpec &spec : PARAM_SPECS) describeControl(spec, values, array.defs[spec.index]);
    for (int i = 0; i < PARAM_COUNT; ++i) array.list[i] = &array.defs[i];
}
