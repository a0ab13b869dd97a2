// The parameter array a render receives: entry 0 the input layer, entries
// 1..9 the effect's controls with their current values, described as the
// effect's control table defines them.
#pragma once

#include "api/effect_api.h"
#include "frame/params/params.h"

// Current values by parameter index: `number` for sliders and popups,
// `colour` for colour controls. Entry 0 (the input layer) is unused.
struct ParamValues {
    A_long number[PARAM_COUNT] = {};
    PF_Pixel colour[PARAM_COUNT] = {};
};

// Every control at its default.
ParamValues defaultParamValues();

// Owns the records the list points at; not copyable, since list points into
// this object's own defs.
struct ParamArray {
    PF_ParamDef defs[PARAM_COUNT] = {};
    PF_ParamDef *list[PARAM_COUNT] = {};

    ParamArray() = default;
    ParamArray(const ParamArray &) = delete;
    ParamArray &operator=(const ParamArray &) = delete;
};

// Fills the array: the input layer as params[0]->u.ld, each control as
// the effect defined it (type, id, name, ranges, default) with its value.
void buildParamArray(const ParamValues &values, const PF_LayerDef &input, ParamArray &array);
