// new_world and dispose_world: the host allocates every world the effect asks
// for and keeps it until disposed.
#include <cstring>
#include <new>
#include <utility>

#include "host/host_state.h"

namespace {

// A kept world of the same geometry, taken out of the pool; an empty world
// when there is none.
OwnedWorld takeRecycledWorld(HostState &host, A_long width, A_long height, PixelDepth depth) {
    auto &pool = host.recycledWorlds;
    for (auto it = pool.begin(); it != pool.end(); ++it) {
        if (it->width() == width && it->height() == height &&
            it->deep() == (depth == PixelDepth::Sixteen) &&
            it->rowbytes() == width * bytesPerPixel(depth) + host.settings.rowPaddingBytes) {
            OwnedWorld world = std::move(*it);
            pool.erase(it);
            return world;
        }
    }
    return OwnedWorld();
}

PF_Err newWorldCallback(PF_ProgPtr effectRef, A_long width, A_long height, PF_NewWorldFlags flags,
                        PF_EffectWorld *world) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr || world == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    host->report.newWorldFlags.push_back(flags);
    if (faultFires(host->faults.newWorld.nth, host->callsSinceFaultPlan.newWorld))
        return host->faults.newWorld.error;
    if (width < 1 || height < 1 || width > PF_MAX_WORLD_WIDTH || height > PF_MAX_WORLD_HEIGHT)
        return PF_Err_BAD_CALLBACK_PARAM;
    const PixelDepth depth =
        (flags & PF_NewWorldFlag_DEEP_PIXELS) != 0 ? PixelDepth::Sixteen : PixelDepth::Eight;
    // Like a real host, only a request to clear gives zero pixels; otherwise
    // the memory holds what it held (a recycled world's last pixels, or
    // whatever fresh memory holds), or, as a test aid, a mark that a render
    // relying on zeros will show.
    const bool clear = (flags & PF_NewWorldFlag_CLEAR_PIXELS) != 0;
    const bool mark = !clear && host->settings.markUnclearedWorlds;
    try {
        OwnedWorld owned;
        if (host->settings.recycleWorlds) owned = takeRecycledWorld(*host, width, height, depth);
        if (owned.layer().data == nullptr) {
            owned = OwnedWorld(width, height, depth, host->settings.rowPaddingBytes,
                               clear ? WorldStart::Zeros : WorldStart::Unset);
            if (mark) owned.fillBytes(kUnclearedWorldByte);
        } else if (clear) {
            owned.fillBytes(0);
        }
        *world = owned.layer();
        host->worlds.emplace(owned.layer().data, std::move(owned));
    } catch (const std::bad_alloc &) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (...) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return PF_Err_NONE;
}

PF_Err disposeWorldCallback(PF_ProgPtr effectRef, PF_EffectWorld *world) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr || world == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    auto found = host->worlds.find(world->data);
    if (found == host->worlds.end()) {
        // Disposed twice, or never ours: the effect has lost track of a world.
        ++host->report.unknownWorldDisposals;
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (host->settings.recycleWorlds) host->recycledWorlds.push_back(std::move(found->second));
    host->worlds.erase(found);
    return PF_Err_NONE;
}

}  // namespace

void fillWorldCallbacks(PF_UtilCallbacks &utils) {
    utils.new_world = newWorldCallback;
    utils.dispose_world = disposeWorldCallback;
}
