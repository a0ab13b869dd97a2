#include "host/param_array.h"

#include <cstring>

namespace {

template <typename Value>
const Value *valueOf(const std::map<A_long, Value> &values, A_long id) {
    const auto found = values.find(id);
    return found == values.end() ? nullptr : &found->second;
}

// The declaration as the effect made it, with the current value in place of
// the declared one.
PF_ParamDef describeControl(const CollectedParam &control, const ParamValues &values) {
    PF_ParamDef def = control.def;
    const A_long id = def.uu.id;
    switch (def.param_type) {
        case PF_Param_SLIDER:
            if (const A_long *value = valueOf(values.number, id)) def.u.sd.value = *value;
            break;
        case PF_Param_POPUP:
            if (const A_long *value = valueOf(values.number, id)) def.u.pd.value = *value;
            def.u.pd.u.namesptr = control.choices.c_str();
            break;
        case PF_Param_COLOR:
            if (const PF_Pixel *value = valueOf(values.colour, id)) def.u.cd.value = *value;
            break;
        default:
            break;
    }
    return def;
}

}  // namespace

ParamValues declaredDefaults(const std::vector<CollectedParam> &declared) {
    ParamValues values;
    for (const CollectedParam &control : declared) {
        const PF_ParamDef &def = control.def;
        if (def.param_type == PF_Param_SLIDER)
            values.number[def.uu.id] = def.u.sd.dephault;
        else if (def.param_type == PF_Param_POPUP)
            values.number[def.uu.id] = def.u.pd.dephault;
        else if (def.param_type == PF_Param_COLOR)
            values.colour[def.uu.id] = def.u.cd.dephault;
    }
    return values;
}

void buildParamArray(const std::vector<CollectedParam> &declared, const ParamValues &values,
                     const PF_LayerDef &input, ParamArray &array) {
    array.defs.assign(declared.size() + 1, PF_ParamDef{});
    PF_ParamDef &layer = array.defs[0];
    std::memset(&layer, 0, sizeof layer);
    layer.param_type = PF_Param_LAYER;
    layer.u.ld = input;
    for (std::size_t i = 0; i < declared.size(); ++i)
        array.defs[i + 1] = describeControl(declared[i], values);
    array.list.clear();
    for (PF_ParamDef &def : array.defs) array.list.push_back(&def);
}
