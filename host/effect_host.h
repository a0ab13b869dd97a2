// Our own host: plays After Effects or Premiere Pro for one effect module,
// runs its commands with the arguments a real host passes, and reports after
// every command what the effect left unreleased.
//
// One EffectHost per thread (or per frame): instances share nothing but the
// module's read-only entry point, so several can render at once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "api/effect_api.h"
#include "host/host_types.h"
#include "host/param_array.h"

struct HostState;

struct ParamsSetupReply {
    CommandReport report;
    std::vector<CollectedParam> params;  // in the order the effect added them
};

struct DependencyReply {
    CommandReport report;
    // The handle the effect stored; the host owns it from then on.
    PF_Handle handle = nullptr;
    A_u_longlong handleSize = 0;
    std::string text;  // the handle's bytes up to the first terminator
};

class EffectHost {
  public:
    explicit EffectHost(PF_FilterProc entry, const HostSettings &settings = HostSettings());
    ~EffectHost();
    EffectHost(const EffectHost &) = delete;
    EffectHost &operator=(const EffectHost &) = delete;

    // May be changed between commands.
    HostSettings &settings();
    // Arms a fault plan; its call counts start from zero.
    void setFaults(const FaultPlan &plan);
    // The record every command's out_data starts as (all zeros by default).
    void setOutDataTemplate(const PF_OutData &outTemplate);

    CommandReport about();
    CommandReport globalSetup();
    ParamsSetupReply paramsSetup();
    // Renders with the controls declared at the last parameter setup, which
    // must have succeeded (std::logic_error otherwise), set to `values`.
    CommandReport render(const ParamValues &values, const PF_LayerDef &input, PF_LayerDef &output);
    DependencyReply dependencies(PF_DepCheckType checkType);
    // Any command with the arguments given as they are.
    CommandReport command(PF_Cmd cmd, void *extra = nullptr, PF_ParamDef **params = nullptr,
                          PF_LayerDef *output = nullptr);

    // The records of the last command, as the effect left them.
    const PF_InData &inData() const;
    const PF_OutData &outData() const;

    // What the effect declared, kept across commands.
    const std::vector<CollectedParam> &collectedParams() const;
    // Every declared control at its declared default.
    ParamValues defaultValues() const;
    const std::vector<PrPixelFormat> &supportedPixelFormats() const;
    int matchingCheckoutRequests() const;
    // Dependency texts handed over and still held by the host.
    std::size_t ownedHandleCount() const;

  private:
    CommandReport run(PF_Cmd cmd, PF_ParamDef **params, PF_LayerDef *output, void *extra,
                      A_long width, A_long height);

    PF_FilterProc entry_;
    std::unique_ptr<HostState> state_;
};
