#include "cli/declared_controls.h"

#include "cli/effect_errors.h"
#include "host/effect_host.h"

std::vector<CollectedParam> read_DeclaredControls(PF_FilterProc entry) {
    EffectHost host(entry);
    requireEffectSuccess(host.globalSetup(), "global setup");
    ParamsSetupReply reply = host.paramsSetup();
    requireEffectSuccess(reply.report, "parameter setup");
    return std::move(reply.params);
}
