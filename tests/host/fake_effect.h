// A stand-in effect for testing the host alone: the host calls fakeEntry as
// its entry point, which runs whatever body the test set on this thread.
#pragma once

#include <functional>
#include <utility>

#include "api/effect_api.h"
#include "host/effect_host.h"
#include "host/owned_world.h"

struct FakeCall {
    PF_Cmd cmd;
    PF_InData *in;
    PF_OutData *out;
    PF_ParamDef **params;
    PF_LayerDef *output;
    void *extra;
};

using FakeBody = std::function<PF_Err(const FakeCall &)>;

inline thread_local FakeBody tFakeBody;

inline PF_Err fakeEntry(PF_Cmd cmd, PF_InData *in, PF_OutData *out, PF_ParamDef *params[],
                        PF_LayerDef *output, void *extra) {
    return tFakeBody ? tFakeBody(FakeCall{cmd, in, out, params, output, extra}) : PF_Err_NONE;
}

// Runs body as the effect's handling of one command the effect never gets
// otherwise (COMPLETELY_GENERAL), and returns the host's report.
inline CommandReport runInside(EffectHost &host, FakeBody body,
                               PF_Cmd cmd = PF_Cmd_COMPLETELY_GENERAL, void *extra = nullptr) {
    tFakeBody = std::move(body);
    CommandReport report = host.command(cmd, extra);
    tFakeBody = nullptr;
    return report;
}

// Acquires a suite through the basic suite of the running command.
template <typename Suite>
const Suite *acquire(const FakeCall &call, const char *name, int32_t version) {
    const void *suite = nullptr;
    if (call.in->pica_basicP->AcquireSuite(name, version, &suite) != kSPNoError) return nullptr;
    return static_cast<const Suite *>(suite);
}
