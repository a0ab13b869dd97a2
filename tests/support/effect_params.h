// The effect's controls as values for our host, for the tests and benchmarks
// that know the effect: its defaults from the effect's own control table
// (control ids equal their indices in the render's parameter array), and the
// parameter array a render of the effect linked into the program receives.
#pragma once

#include <vector>

#include "frame/entry_point.h"
#include "frame/params/params.h"
#include "host/effect_host.h"
#include "host/param_array.h"

inline ParamValues defaultParamValues() {
    ParamValues values;
    for (const ParamSpec &control : PARAM_SPECS) {
        if (control.type == PF_Param_COLOR)
            values.colour[control.index] = control.colourDefault;
        else
            values.number[control.index] = control.dephault;
    }
    return values;
}

// What the linked-in effect declares at parameter setup, run once through
// our host. Only for programs that link the effect itself.
inline const std::vector<CollectedParam> &linkedEffectDeclarations() {
    static const std::vector<CollectedParam> declared = [] {
        EffectHost host(EntryPointFunc);
        host.globalSetup();
        return host.paramsSetup().params;
    }();
    return declared;
}

// The parameter array the linked-in effect's render receives for these
// values: for driving its stages without a render.
inline void buildLinkedEffectParamArray(const ParamValues &values, const PF_LayerDef &input,
                                        ParamArray &array) {
    buildParamArray(linkedEffectDeclarations(), values, input, array);
}
