// Host memory handles. The allocation calls carry no effect_ref, so they work
// on the host running the current command on this thread.
#include <memory>

#include "host/host_state.h"

namespace {

HandleBlock *findBlock(HostState &host, PF_Handle handle) {
    auto found = host.handles.find(handle);
    if (found != host.handles.end()) return found->second.get();
    auto owned = host.ownedHandles.find(handle);
    return owned != host.ownedHandles.end() ? owned->second.get() : nullptr;
}

PF_Handle newHandle(A_u_longlong size) {
    HostState *host = currentHost();
    if (host == nullptr) return nullptr;
    if (faultFires(host->faults.newHandleNth, host->callsSinceFaultPlan.newHandle)) return nullptr;
    try {
        auto block = std::make_unique<HandleBlock>();
        // At least one byte, so even an empty handle has a block to point at.
        block->storage.assign(size == 0 ? 1 : size, 0);
        block->bytes = block->storage.data();
        block->size = size;
        PF_Handle handle = &block->bytes;
        host->handles.emplace(handle, std::move(block));
        return handle;
    } catch (...) {  // the size cannot be allocated
        return nullptr;
    }
}

void *lockHandle(PF_Handle handle) { return handle != nullptr ? *handle : nullptr; }

void unlockHandle(PF_Handle) {}

void disposeHandle(PF_Handle handle) {
    HostState *host = currentHost();
    if (host == nullptr || handle == nullptr) return;
    if (host->handles.erase(handle) == 0 && host->ownedHandles.erase(handle) == 0)
        ++host->report.unknownHandleDisposals;
}

A_u_longlong handleSize(PF_Handle handle) {
    HostState *host = currentHost();
    if (host == nullptr || handle == nullptr) return 0;
    const HandleBlock *block = findBlock(*host, handle);
    return block != nullptr ? block->size : 0;
}

// Blocks never move here, so resizing reallocates and repoints the handle.
PF_Err resizeHandle(A_u_longlong newSize, PF_Handle *handleP) {
    HostState *host = currentHost();
    if (host == nullptr || handleP == nullptr || *handleP == nullptr)
        return PF_Err_BAD_CALLBACK_PARAM;
    HandleBlock *block = findBlock(*host, *handleP);
    if (block == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    try {
        block->storage.resize(newSize == 0 ? 1 : newSize, 0);
    } catch (...) {
        return PF_Err_OUT_OF_MEMORY;
    }
    block->bytes = block->storage.data();
    block->size = newSize;
    return PF_Err_NONE;
}

const PF_HandleSuite1 kHandleSuite = {newHandle,     lockHandle, unlockHandle,
                                      disposeHandle, handleSize, resizeHandle};

}  // namespace

const PF_HandleSuite1 &handleSuite() { return kHandleSuite; }

void fillHandleCallbacks(PF_UtilCallbacks &utils) {
    utils.host_new_handle = newHandle;
    utils.host_lock_handle = lockHandle;
    utils.host_unlock_handle = unlockHandle;
    utils.host_dispose_handle = disposeHandle;
    utils.host_get_handle_size = handleSize;
}
