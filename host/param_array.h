// The parameter array a render receives, built as a host builds it: entry 0
// the input layer, then each control the effect declared at parameter setup,
// in the order it declared them, with its current value. The host knows the
// controls only by those declarations.
#pragma once

#include <map>
#include <vector>

#include "api/effect_api.h"
#include "host/host_types.h"

// Current values by control id (the uu.id the effect declared): `number` for
// sliders and popups, `colour` for colour controls. A control without a
// value here renders with the value it was declared with, its default; a
// value for an id the effect did not declare, or of the wrong kind for its
// control, is not used.
struct ParamValues {
    std::map<A_long, A_long> number;
    std::map<A_long, PF_Pixel> colour;
};

// Every declared control at its declared default.
ParamValues declaredDefaults(const std::vector<CollectedParam> &declared);

// Owns the records the list points at; not copyable, since list points into
// this object's own defs.
struct ParamArray {
    std::vector<PF_ParamDef> defs;
    std::vector<PF_ParamDef *> list;

    ParamArray() = default;
    ParamArray(const ParamArray &) = delete;
    ParamArray &operator=(const ParamArray &) = delete;
};

// Fills the array: the input layer as params[0]->u.ld, then each declared
// control as the effect described it (a popup's choices read from the
// host's copy of the string) with its current value. `declared` must
// outlive the array.
void buildParamArray(const std::vector<CollectedParam> &declared, const ParamValues &values,
                     const PF_LayerDef &input, ParamArray &array);
