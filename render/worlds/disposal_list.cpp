#include "render/worlds/disposal_list.h"

void clearDisposalList(DisposalList &list) { list.count = 0; }

PF_Err ADD_WorldToDISPOSElist(PF_LayerDef *world, DisposalList &list) {
    // Slot 0 stays unused, so a full list already holds 49 worlds.
    if (list.count < 0 || list.count >= DISPOSAL_LIST_CAPACITY) return PF_Err_OUT_OF_MEMORY;
    list.count += 1;
    list.worlds[list.count] = world;
    return PF_Err_NONE;
}

PF_Err Dispose_OfAllWorldsOnDisposalList(const PF_InData *in_data, DisposalList &list) {
    PF_Err err = PF_Err_NONE;
    for (A_long slot = 1; slot <= list.count && slot <= DISPOSAL_LIST_CAPACITY; ++slot) {
        PF_LayerDef *world = list.worlds[slot];
        // A world whose creation failed, or that was already released, has no
        // pixels and nothing to give back.
        if (world == nullptr || world->data == nullptr) continue;
        err |= in_data->utils->dispose_world(in_data->effect_ref, world);
        list.worlds[slot] = nullptr;
    }
    list.count = 0;
    return err;
}
