#include "host/host_state.h"

namespace {
thread_local HostState *tCurrentHost = nullptr;
}

HostState *currentHost() { return tCurrentHost; }

HostState *hostFromRef(PF_ProgPtr effectRef) {
    auto *state = reinterpret_cast<HostState *>(effectRef);
    // Only references handed out by a host running a command on this thread
    // are accepted; anything else would be a stray pointer.
    if (state != nullptr && state == tCurrentHost && state->magic == HostState::kMagic)
        return state;
    if (tCurrentHost != nullptr) ++tCurrentHost->report.badEffectRefs;
    return nullptr;
}

CurrentHostScope::CurrentHostScope(HostState *state) : previous_(tCurrentHost) {
    tCurrentHost = state;
}

CurrentHostScope::~CurrentHostScope() { tCurrentHost = previous_; }

bool faultFires(int nth, int &callsSoFar) {
    ++callsSoFar;
    return nth > 0 && callsSoFar == nth;
}
