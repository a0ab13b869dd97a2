// The worlds one render call has created, released together at its end.
#pragma once

#include "api/effect_api.h"

constexpr A_long DISPOSAL_LIST_CAPACITY = 49;

struct DisposalList {
    PF_LayerDef *worlds[DISPOSAL_LIST_CAPACITY + 1];  // slot 0 is never used
    A_long count;
};

void clearDisposalList(DisposalList &list);

// Lists a world; a full list refuses it with PF_Err_OUT_OF_MEMORY (the render
// lists at most 11 worlds).
PF_Err ADD_WorldToDISPOSElist(PF_LayerDef *world, DisposalList &list);

// Disposes every listed world that has pixels; returns the OR of the results.
PF_Err Dispose_OfAllWorldsOnDisposalList(const PF_InData *in_data, DisposalList &list);
